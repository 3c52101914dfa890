#pragma once
// QelHttpDownloadFile: the file a download streams into while it arrives,
// so a download of any size costs no more memory than curl's own buffers.
//
// The name comes from the network: it is the last component of the URL's
// path, percent-decoded, and must name one entry of the folder. An older
// file of that name, or a link planted there, is removed, never followed;
// the new file is created exclusively (O_EXCL | O_NOFOLLOW), executable for
// its owner only. The bytes are hashed (SHA-256) as they are written. A
// download that fails leaves no partial file behind.
//
// Threads: one thread at a time (the worker running the download).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "QelString.h"

namespace qel::http {

// The file name a download from url is saved under: the last component of
// the URL's path (query and fragment play no part), percent-decoded. Empty
// when the URL does not parse or the name is "", ".", "..", or would hold
// "/" or NUL once decoded.
QelString DownloadFileName(const QelString& url);

// SHA-256 over bytes given piece by piece.
class QelSha256 {
public:
    QelSha256();
    ~QelSha256();
    QelSha256(const QelSha256&) = delete;
    QelSha256& operator=(const QelSha256&) = delete;
    void Update(std::string_view bytes);
    // 64 lower-case hexadecimal digits of everything given so far.
    std::string HexDigest() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace qel::http

// What a finished download left on disk.
struct QelHttpDownload {
    QelString path;          // folder/name
    std::uint64_t size = 0;  // bytes written
    std::string sha256;      // of those bytes, lower-case hexadecimal
    bool endKnown = false;   // the response marked its end (a length, chunks, HTTP/2): not cut short unseen
};

class QelHttpDownloadFile {
public:
    QelHttpDownloadFile() = default;
    QelHttpDownloadFile(const QelHttpDownloadFile&) = delete;
    QelHttpDownloadFile& operator=(const QelHttpDownloadFile&) = delete;
    ~QelHttpDownloadFile();  // a file still open is discarded

    // Creates folder (and missing parents) and in it the empty file name.
    // 0, or the errno of the step that failed (EINVAL for a name that is not
    // one folder entry); nothing is left behind on failure.
    int Open(const QelString& folder, const QelString& name);
    bool IsOpen() const { return m_fd >= 0; }
    // Empties the file for a new attempt and starts the hash anew.
    bool Restart();
    // Appends bytes and hashes them; false when they could not all be written.
    bool Append(std::string_view bytes);
    // Closes the file and describes it; false (and the file removed) when the
    // last writes did not reach it.
    bool Finish(QelHttpDownload& download);
    // Closes and removes the file.
    void Discard();

private:
    int m_folderFd = -1;
    int m_fd = -1;
    std::string m_name;
    QelString m_path;
    std::uint64_t m_size = 0;
    std::unique_ptr<qel::http::QelSha256> m_hash;
};
