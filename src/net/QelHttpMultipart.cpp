#include "QelHttpMultipart.h"

#include <sys/random.h>

#include <cerrno>
#include <string>

#include "CQelFile.h"
#include "QelContainers.h"

namespace {
constexpr unsigned char kAlphabetSize = sizeof(qel::http::kBoundaryAlphabet) - 1;  // 62
// Bytes at or above this would favour the first letters of the alphabet.
constexpr unsigned char kUnbiasedLimit = 256 / kAlphabetSize * kAlphabetSize;  // 248

// The whole file, or false when it cannot be read or is empty.
bool ReadWholeFile(const QelString& path, std::string& bytes) {
    CQelFile file;
    if (!file.Open(0, 1, path)) return false;
    bytes = file.ReadAll();
    return !bytes.empty();
}

QelString FileName(const QelString& path) { return path.Mid(path.ReverseFind(u'/') + 1); }

// Appends the parts of one body; the first part has no leading CR LF.
class BodyWriter {
public:
    explicit BodyWriter(const QelString& boundary) : m_boundary(boundary.ToStdString()) {}

    void TextPart(const QelString& name, const QelString& value) {
        Open(name);
        Add("\"\r\n\r\n");
        Add(value.ToStdString());
    }
    // Nothing is written when the file cannot be read or is empty.
    void FilePart(const QelString& name, const QelString& path) {
        std::string bytes;
        if (!ReadWholeFile(path, bytes)) return;
        Open(name);
        Add("\"; filename=\"" + FileName(path).ToStdString() + "\"\r\nContent-Type: application/octect-stream\r\n\r\n");
        Add(bytes);
    }
    // Later parts take the leading CR LF even when no part was written yet.
    void NotFirst() { m_first = false; }
    std::vector<char> Finish() {
        Add("\r\n--" + m_boundary + "--\r\n");
        return m_buffer.Data();
    }

private:
    void Open(const QelString& name) {
        Add((m_first ? "--" : "\r\n--") + m_boundary + "\r\nContent-Disposition: form-data; name=\"" +
            name.ToStdString());
        m_first = false;
    }
    void Add(const std::string& bytes) { m_buffer.Append(bytes.data(), bytes.size()); }

    std::string m_boundary;
    QelFlexBuffer m_buffer;
    bool m_first = true;
};
}  // namespace

namespace qel::http {
QelString MakeBoundary() {
    std::u16string boundary;
    unsigned char random[32];
    while (boundary.size() < static_cast<std::size_t>(kBoundaryLength)) {
        const ssize_t n = ::getrandom(random, sizeof random, 0);
        if (n < 0 && errno == EINTR) continue;
        for (ssize_t i = 0; i < n && boundary.size() < static_cast<std::size_t>(kBoundaryLength); ++i) {
            if (random[i] < kUnbiasedLimit) boundary += static_cast<char16_t>(kBoundaryAlphabet[random[i] % kAlphabetSize]);
        }
    }
    return QelString(std::move(boundary));
}

std::vector<char> BuildFileBody(const QelStringArray& files, const QelString& boundary) {
    BodyWriter body(boundary);
    const QelString name(files.GetCount() > 1 ? u"file[]" : u"file");
    for (const QelString& path : files) {
        if (&path != &files.front()) body.NotFirst();  // the form goes by position in the list
        body.FilePart(name, path);
    }
    return body.Finish();
}

std::vector<char> BuildFormBody(const QelHttpFormFields& fields, const QelString& boundary) {
    BodyWriter body(boundary);
    for (const auto& [name, kinds] : fields) {
        for (const auto& [kind, value] : kinds) {
            if (kind == 0 || kind == 1) {
                body.TextPart(name, value);
            } else if (kind == 2) {
                QelStringArray paths;
                QelString::Split(value, QelString(u"@@"), paths);
                for (const QelString& path : paths) body.FilePart(name, path);
            }
        }
    }
    return body.Finish();
}
}  // namespace qel::http
