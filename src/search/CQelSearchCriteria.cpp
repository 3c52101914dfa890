#include "CQelSearchCriteria.h"

#include "QelMatchRules.h"

namespace {

bool IsWellFormed(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

bool AllWellFormed(const QelStringArray& list) {
    for (const auto& s : list)
        if (!IsWellFormed(s.view())) return false;
    return true;
}

std::vector<std::string> ToBytes(const QelStringArray& list) {
    std::vector<std::string> out;
    out.reserve(list.size());
    for (const auto& s : list) out.push_back(s.ToFileName());
    return out;
}

}  // namespace

CQelSearchCriteria::CQelSearchCriteria(const QelStringArray& nameStrings, const QelStringArray& extStrings,
                                       const QelStringArray& folderStrings)
    : m_names(nameStrings),
      m_exts(extStrings),
      m_folders(folderStrings),
      m_onBytes(AllWellFormed(nameStrings) && AllWellFormed(extStrings) && AllWellFormed(folderStrings)) {
    if (m_onBytes) {
        m_names8 = ToBytes(nameStrings);
        m_exts8 = ToBytes(extStrings);
        m_folders8 = ToBytes(folderStrings);
    }
}

bool CQelSearchCriteria::FileHits(std::string_view name) const {
    if (m_names.empty() && m_exts.empty()) return false;
    if (m_onBytes) return qel::match::FileHits(name, m_names8, m_exts8);
    return qel::match::FileHits(std::u16string_view(qel::Utf8ToUtf16(name)), m_names, m_exts);
}

bool CQelSearchCriteria::FolderHits(std::string_view name) const {
    if (m_folders.empty()) return false;
    if (m_onBytes) return qel::match::FolderHits(name, m_folders8);
    return qel::match::FolderHits(std::u16string_view(qel::Utf8ToUtf16(name)), m_folders);
}
