#include "QelCliOutput.h"

#include <unistd.h>

#include <cerrno>

#include "QelJsonText.h"

namespace {
constexpr std::size_t kFlushAt = 256 * 1024;
}  // namespace

void qel::AppendCEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7f)
            out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
        else
            out += c;
    }
}

CQelCliResultWriter::CQelCliResultWriter(int fd, QelCliOutputMode mode, const CQelSearchCriteria& criteria,
                                         std::string root)
    : m_fd(fd), m_mode(mode), m_criteria(criteria), m_prefix(std::move(root)) {
    // A root typed with its separator ("/", "/home/") gets no second one.
    while (m_prefix.size() > 1 && m_prefix.ends_with("//")) m_prefix.pop_back();
    if (!m_prefix.ends_with('/')) m_prefix += '/';
    m_buffer.reserve(kFlushAt + 64 * 1024);
    if (m_mode == QelCliOutputMode::kJson) m_buffer += "{\"fileresultlist\":[";
}

void CQelCliResultWriter::OnFile(std::string_view name) {
    if (!m_criteria.FileHits(name)) return;
    ++m_files;
    AppendPath(name);
    if (m_buffer.size() >= kFlushAt) Flush();
}

void CQelCliResultWriter::OnFolder(std::string_view name) {
    if (!m_criteria.FolderHits(name)) return;
    m_folderPaths.append(m_prefix).append(name) += '\0';
}

void CQelCliResultWriter::OnEnter(std::string_view name) {
    m_lengths.push_back(m_prefix.size());
    m_prefix.append(name) += '/';
}

void CQelCliResultWriter::OnLeave() {
    m_prefix.resize(m_lengths.back());
    m_lengths.pop_back();
}

// The path of name in the current folder, as one item of the output.
void CQelCliResultWriter::AppendPath(std::string_view name) {
    if (m_mode != QelCliOutputMode::kJson) {
        m_buffer.append(m_prefix).append(name) += m_mode == QelCliOutputMode::kNulSeparated ? '\0' : '\n';
        return;
    }
    if (!m_firstItem) m_buffer += ',';
    m_firstItem = false;
    m_buffer += '"';
    qel::AppendJsonEscaped(m_buffer, m_prefix);
    qel::AppendJsonEscaped(m_buffer, name);
    m_buffer += '"';
}

bool CQelCliResultWriter::Finish() {
    if (m_mode == QelCliOutputMode::kJson) {
        m_buffer += "],\"dirresultlist\":[";
        m_firstItem = true;
    }
    // Each kept folder path goes out as a name in an empty prefix.
    m_prefix.clear();
    for (std::size_t at = 0, end; at < m_folderPaths.size(); at = end + 1) {
        end = m_folderPaths.find('\0', at);
        AppendPath(std::string_view(m_folderPaths).substr(at, end - at));
        if (m_buffer.size() >= kFlushAt) Flush();
    }
    if (m_mode == QelCliOutputMode::kJson) m_buffer += "]}\n";
    return Flush();
}

bool CQelCliResultWriter::Flush() {
    std::size_t done = 0;
    while (m_ok && done < m_buffer.size()) {
        const ssize_t n = write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) m_ok = false;
        else done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return m_ok;
}
