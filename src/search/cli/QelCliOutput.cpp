#include "QelCliOutput.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

constexpr std::size_t kFlushAt = 1 << 16;

class CFdWriter {
public:
    explicit CFdWriter(int fd) : m_fd(fd) { m_buffer.reserve(2 * kFlushAt); }

    std::string& Buffer() { return m_buffer; }
    void MaybeFlush() {
        if (m_buffer.size() >= kFlushAt) Flush();
    }
    bool Flush() {
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

private:
    int m_fd;
    bool m_ok = true;
    std::string m_buffer;
};

void AppendHex4(std::string& out, unsigned value) {
    static const char digits[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(value >> shift) & 0xF];
}

void AppendJsonString(std::string& out, const QelString& text) {
    const std::u16string_view s = text.view();
    out += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c < 0x20) {
            AppendHex4(out, c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            out += qel::Utf16ToUtf8(s.substr(i, 2));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendHex4(out, c);  // a lone surrogate has no UTF-8 form
        } else {
            out += qel::Utf16ToUtf8(s.substr(i, 1));
        }
    }
    out += '"';
}

void WriteJsonArray(CFdWriter& writer, const char* key, const QelStringArray& list) {
    writer.Buffer() += '"';
    writer.Buffer() += key;
    writer.Buffer() += "\":[";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) writer.Buffer() += ',';
        AppendJsonString(writer.Buffer(), list[i]);
        writer.MaybeFlush();
    }
    writer.Buffer() += ']';
}

}  // namespace

bool WriteResults(int fd, const QelStringArray& files, const QelStringArray& folders, QelCliOutputMode mode) {
    CFdWriter writer(fd);
    if (mode == QelCliOutputMode::kJson) {
        writer.Buffer() += '{';
        WriteJsonArray(writer, "fileresultlist", files);
        writer.Buffer() += ',';
        WriteJsonArray(writer, "dirresultlist", folders);
        writer.Buffer() += "}\n";
        return writer.Flush();
    }
    const char end = mode == QelCliOutputMode::kNulSeparated ? '\0' : '\n';
    for (const QelStringArray* list : {&files, &folders}) {
        for (const QelString& path : *list) {
            qel::AppendUtf16AsUtf8(writer.Buffer(), path.view());
            writer.Buffer() += end;
            writer.MaybeFlush();
        }
    }
    return writer.Flush();
}
