#include "CQelSearchResults.h"

namespace {

// Names are decoded with the file-name mapping of QelString. ASCII bytes
// stand for themselves in that mapping and no multi-byte sequence spans
// one, so ASCII runs are widened directly and only the rest is decoded.
void AppendName(std::u16string& out, std::string_view name) {
    std::size_t i = 0;
    while (i < name.size()) {
        std::size_t end = i;
        while (end < name.size() && static_cast<unsigned char>(name[end]) < 0x80) ++end;
        const std::size_t at = out.size();
        out.resize(at + (end - i));
        for (std::size_t k = i; k < end; ++k) out[at + k - i] = static_cast<char16_t>(name[k]);
        i = end;
        while (end < name.size() && static_cast<unsigned char>(name[end]) >= 0x80) ++end;
        if (end > i) out += qel::Utf8ToUtf16(name.substr(i, end - i));
        i = end;
    }
}

}  // namespace

CQelSearchResults::CQelSearchResults(const CQelSearchCriteria& criteria, const QelString& root,
                                     QelStringArray& fileResults, QelStringArray& folderResults,
                                     IQelFileMngEventDelegate* delegate)
    : m_criteria(criteria), m_files(fileResults), m_folders(folderResults), m_delegate(delegate), m_prefix(root.view()) {
    m_prefix.push_back(u'/');
}

void CQelSearchResults::OnFile(std::string_view name) {
    if (m_criteria.FileHits(name)) Add(m_files, name);
}

void CQelSearchResults::OnFolder(std::string_view name) {
    if (m_criteria.FolderHits(name)) Add(m_folders, name);
}

void CQelSearchResults::OnEnter(std::string_view name) {
    m_lengths.push_back(m_prefix.size());
    AppendName(m_prefix, name);
    m_prefix.push_back(u'/');
}

void CQelSearchResults::OnLeave() {
    m_prefix.resize(m_lengths.back());
    m_lengths.pop_back();
}

void CQelSearchResults::Add(QelStringArray& list, std::string_view name) {
    std::u16string path;
    path.reserve(m_prefix.size() + name.size());
    path.append(m_prefix);
    AppendName(path, name);
    list.emplace_back(std::move(path));
    if (m_delegate)
        m_delegate->OnSearchProgress(static_cast<std::int32_t>(m_files.size()),
                                     static_cast<std::int32_t>(m_folders.size()));
}
