#include "CQelFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* ModeText(unsigned mode) {
    static const char* const kModes[] = {"r", "w", "a", "r+", "w+", "a+"};
    return mode < 6 ? kModes[mode] : "r";
}

void CrLfToLf(std::string& text) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < text.size(); ++r) {
        if (text[r] == '\r' && r + 1 < text.size() && text[r + 1] == '\n') continue;
        text[w++] = text[r];
    }
    text.resize(w);
}
}  // namespace

std::string qel::WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

CQelFile::~CQelFile() { Close(); }

bool CQelFile::Open(unsigned mode, unsigned selector, const QelString& path) {
    Close();
    // "e": the descriptor is not handed to programs we start.
    std::string modeText = std::string(ModeText(mode)) + (selector == 1 ? "be" : "e");
    std::FILE* stream = std::fopen(path.ToFileName().c_str(), modeText.c_str());
    struct stat st;
    if (stream && (::fstat(::fileno(stream), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(stream);  // a folder is not a file to read or write
        stream = nullptr;
    }
    if (!stream) {
        m_path = QelString(u"");
        m_openType = 0;
        m_textMode = false;
        return false;
    }
    m_stream = stream;
    m_path = path;
    m_openType = selector;
    m_textMode = selector == 0;
    const int slash = path.ReverseFind(u'/');
    m_fileName = slash >= 0 ? path.Mid(slash + 1) : path;
    std::fseek(m_stream, 0, SEEK_END);
    m_size = static_cast<std::uint32_t>(static_cast<std::uint64_t>(::ftello(m_stream)));
    std::fseek(m_stream, 0, SEEK_SET);
    return true;
}

bool CQelFile::Close() {
    if (!m_stream) return true;
    const bool ok = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    return ok;
}

bool CQelFile::Write(const void* data, std::size_t size) {
    if (!m_stream) return false;
    if (size == 0) return true;
    const char* bytes = static_cast<const char*>(data);
    if (!m_textMode) return std::fwrite(bytes, 1, size, m_stream) == size;
    const std::string converted = qel::WithCrLf(std::string_view(bytes, size));
    return std::fwrite(converted.data(), 1, converted.size(), m_stream) == converted.size();
}

std::string CQelFile::ReadAll() {
    std::string out;
    if (!m_stream) return out;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, m_stream)) > 0) out.append(buffer, n);
    if (m_textMode) CrLfToLf(out);
    return out;
}

bool CQelFile::Sync() {
    if (!m_stream) return false;
    return std::fflush(m_stream) == 0 && ::fsync(::fileno(m_stream)) == 0;
}

qel::QelFileReadResult CQelFile::ReadText(const QelString& path, unsigned selector, std::string& text) {
    const qel::QelFileReadResult result = qel::ReadRegularFile(path, text);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (selector == 0) CrLfToLf(text);
    return result;
}
