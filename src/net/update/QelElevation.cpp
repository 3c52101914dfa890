#include "QelElevation.h"

#include <glib.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "CQelLogMng.h"

namespace qel {

namespace {

constexpr char kPkexec[] = "/usr/bin/pkexec";
// pkexec's own failures: 126 the user dismissed the password dialog, 127 not
// authorised or no polkit authority. Any other code is the program's own.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecRefused = 127;
constexpr auto kNamePollInterval = std::chrono::milliseconds(20);
constexpr std::size_t kProcessNameLength = 15;  // the kernel keeps this much of a program's name

std::mutex g_launcherLock;
QelElevationLauncher g_launcher;

std::string ProcessName(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::string ExpectedProcessName(const std::string& program) {
    const std::size_t slash = program.rfind('/');
    return program.substr(slash == std::string::npos ? 0 : slash + 1, kProcessNameLength);
}

}  // namespace

bool RunElevatedThrough(const std::string& elevator, const QelString& path) {
    const QelChildOutcome outcome = RunUntilReplaced({elevator, path.ToFileName()});
    switch (outcome.kind) {
        case QelChildOutcome::Kind::kReplaced:
            return true;
        case QelChildOutcome::Kind::kExited:
            CQelLogMng::GetInstance()->Write(u"pkexec ended with %d", outcome.exitCode);
            return outcome.exitCode != kPkexecDismissed && outcome.exitCode != kPkexecRefused;
        case QelChildOutcome::Kind::kSignalled:
        case QelChildOutcome::Kind::kNotStarted:
            break;
    }
    return false;
}

QelChildOutcome RunUntilReplaced(const std::vector<std::string>& argv) {
    QelChildOutcome outcome;
    if (argv.empty()) return outcome;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    GPid pid = 0;
    GError* error = nullptr;
    // A direct child (no detaching double fork): pkexec refuses to serve a
    // process whose parent is gone. GLib returns once the program is executing.
    if (!g_spawn_async(nullptr, args.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid, &error)) {
        CQelLogMng::GetInstance()->Write(u"%s could not be started: %s", QelString::FromFileName(argv[0]),
                                         QelString::FromUtf8(error ? error->message : ""));
        if (error) g_error_free(error);
        return outcome;
    }
    outcome.pid = pid;
    const std::string name = ExpectedProcessName(argv[0]);
    // The kernel lets this thread run on before it renames the child, which
    // may still carry this thread's name for a moment: that is no new program.
    std::string parent;
    std::getline(std::ifstream("/proc/thread-self/comm"), parent);
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            outcome.kind = WIFEXITED(status) ? QelChildOutcome::Kind::kExited : QelChildOutcome::Kind::kSignalled;
            outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
            return outcome;
        }
        const std::string now = ProcessName(pid);
        if (!now.empty() && now != name && now != parent) break;
        // Waiting for a person to type a password: a short nap between looks is plenty.
        std::this_thread::sleep_for(kNamePollInterval);
    }
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    outcome.kind = QelChildOutcome::Kind::kReplaced;
    return outcome;
}

bool LaunchElevated(const QelString& path) {
    QelElevationLauncher launcher;
    {
        std::lock_guard lock(g_launcherLock);
        launcher = g_launcher;
    }
    return launcher ? launcher(path) : RunElevatedThrough(kPkexec, path);
}

void SetElevationLauncher(QelElevationLauncher launcher) {
    std::lock_guard lock(g_launcherLock);
    g_launcher = std::move(launcher);
}

}  // namespace qel
