#include "CQelSearchResults.h"

namespace {

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Names are decoded with the file-name mapping of QelString; plain ASCII,
// the usual case, is widened directly.
void AppendName(std::u16string& out, std::string_view name) {
    if (IsAscii(name)) {
        const std::size_t at = out.size();
        out.resize(at + name.size());
        for (std::size_t i = 0; i < name.size(); ++i) out[at + i] = static_cast<unsigned char>(name[i]);
    } else {
        out.append(QelString::FromFileName(name).view());
    }
}

}  // namespace

CQelSearchResults::CQelSearchResults(const QelString& root, QelStringArray& fileResults,
                                     QelStringArray& folderResults, IQelFileMngEventDelegate* delegate)
    : m_files(fileResults), m_folders(folderResults), m_delegate(delegate), m_prefix(root.view()) {
    m_prefix.push_back(u'/');
    m_rootPrefix = m_prefix.size();
}

std::size_t CQelSearchResults::EnterFolder(std::size_t prefixLength, std::string_view name) {
    m_prefix.resize(prefixLength);
    AppendName(m_prefix, name);
    m_prefix.push_back(u'/');
    return m_prefix.size();
}

void CQelSearchResults::Add(QelStringArray& list, std::size_t prefixLength, std::string_view name) {
    std::u16string path;
    path.reserve(prefixLength + name.size());
    path.append(m_prefix, 0, prefixLength);
    AppendName(path, name);
    list.emplace_back(std::move(path));
    if (m_delegate)
        m_delegate->OnSearchProgress(static_cast<std::int32_t>(m_files.size()),
                                     static_cast<std::int32_t>(m_folders.size()));
}
