#include "CQelLogMng.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "CQelFile.h"
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
    CQelFile file;
    if (!file.Open(5, 0, path)) return;
    QelString line;
    line.Format(u"[%04u/%02u/%02u][%02u:%02u:%02u:%03u] ", t.year, t.month, t.day, t.hour, t.minute, t.second,
                t.millisecond);
    line.Append(Limited(message));
    line.Append(u'\n');
    file.Write(line.ToStdString());
    file.Close();
}
