#include "CQelLogMng.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "CQelFile.h"
#include "QelAtomicFile.h"
#include "QelLastLink.h"
#include "QelLocalTime.h"
#include "QelSingleton.h"

namespace {
QelSingletonSlot<CQelLogMng> g_logMng;

// Cuts message to the message limit without splitting a surrogate pair.
std::u16string_view Limited(const QelString& message) {
    std::u16string_view text = message.view();
    std::size_t n = text.size();
    if (n <= CQelLogMng::kMessageLimit) return text;
    n = CQelLogMng::kMessageLimit;
    if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return text.substr(0, n);
}

void WriteAllToStderr(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Opens the log file to append, creating it, only where another user cannot
// have put a link to one of this user's files, and only a regular file (a
// FIFO planted there would block). -1 when the line is to be dropped.
int OpenLogFile(const std::string& path) {
    const qel::QelLastLink judged = qel::JudgeLastLink(path);
    if (!qel::MayWriteThrough(judged)) {
        CQelLogMng::GetInstance()->Write(u"\"%s\" Log Write Refused: %s", QelString::FromFileName(path),
                                         qel::DescribeLastLink(judged));
        return -1;
    }
    // A name that was no link when judged must not have become one since.
    const int noFollow = judged == qel::QelLastLink::kNone ? O_NOFOLLOW : 0;
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | noFollow;
    const int fd = ::open(path.c_str(), flags, 0666);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

CQelLogMng* CQelLogMng::GetInstance() {
    return g_logMng.Get([] { return new CQelLogMng(); });
}

void CQelLogMng::DeleteInstance() { g_logMng.Delete(); }

CQelLogMng::CQelLogMng() {
    const char* env = std::getenv("QELTESSARY_LOG");
    m_enabled = env && std::strcmp(env, "1") == 0;
}

void CQelLogMng::ApplyCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "--log") == 0) SetEnabled(true);
    }
}

void CQelLogMng::WriteLine(const QelString& message) {
    const qel::LocalTime t = qel::NowLocal();
    QelString line;
    line.Format(u"[%02u:%02u:%02u:%03u]:", t.hour, t.minute, t.second, t.millisecond);
    line.Append(Limited(message));
    line.Append(u'\n');
    // One write per line keeps lines of several threads apart.
    WriteAllToStderr(line.ToStdString());
}

void CQelLogMng::WriteFileLine(const QelString& path, const QelString& message) {
    const qel::LocalTime t = qel::NowLocal();
    const int fd = OpenLogFile(path.ToFileName());
    if (fd < 0) return;
    QelString line;
    line.Format(u"[%04u/%02u/%02u][%02u:%02u:%02u:%03u] ", t.year, t.month, t.day, t.hour, t.minute, t.second,
                t.millisecond);
    line.Append(Limited(message));
    line.Append(u'\n');
    // One write per line keeps lines of several threads apart.
    qel::WriteAll(fd, qel::WithCrLf(line.ToStdString()));
    ::close(fd);
}
