#pragma once
// A thin wrapper of one buffered stdio stream. Text mode (selector 0) keeps
// the stored format of the original platform: every LF is written as CR LF
// and CR LF is read back as LF. Binary mode passes bytes untouched. The
// conversion happens in Write and ReadAll; bytes put on m_stream directly
// are stored as they are.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "QelFileRead.h"
#include "QelString.h"

namespace qel {
// text with every LF written as CR LF, the stored form of text files.
std::string WithCrLf(std::string_view text);
}  // namespace qel

class CQelFile {
public:
    CQelFile() = default;
    CQelFile(const CQelFile&) = delete;
    CQelFile& operator=(const CQelFile&) = delete;
    virtual ~CQelFile();  // closes the stream if open

    // mode: 0 "r", 1 "w", 2 "a", 3 "r+", 4 "w+", 5 "a+", anything else "r".
    // selector: 0 text, 1 binary, anything else neither.
    bool Open(unsigned mode, unsigned selector, const QelString& path);
    // True when nothing was open or closing succeeded.
    bool Close();

    // Writes data (LF becomes CR LF in text mode); true when all was written.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Reads the rest of the file (CR LF becomes LF in text mode).
    std::string ReadAll();
    // Reads a settings or view file whole (a regular file within the size
    // limit of qel::ReadRegularFile, never blocking), up to the first NUL as
    // they are text; selector 0 turns CR LF into LF. On failure text is empty.
    static qel::QelFileReadResult ReadText(const QelString& path, unsigned selector, std::string& text);
    // Flushes the stream and forces the data to the disk.
    bool Sync();

    bool IsOpen() const { return m_stream != nullptr; }
    bool IsText() const { return m_textMode; }

    // Read directly by callers, as the fields of the original wrapper.
    std::FILE* m_stream = nullptr;
    unsigned m_openType = 0;
    QelString m_path;
    std::uint32_t m_size = 0;  // length when opened (low 32 bits)
    QelString m_fileName;      // text after the last '/' of the path

private:
    bool m_textMode = false;
};
