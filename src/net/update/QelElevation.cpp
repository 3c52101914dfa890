#include "QelElevation.h"

#include <glib.h>

#include <mutex>

#include "CQelLogMng.h"

namespace qel {

namespace {

std::mutex g_launcherLock;
QelElevationLauncher g_launcher;

// pkexec asks for the password itself and runs path as root; no shell parses
// the path. Without G_SPAWN_DO_NOT_REAP_CHILD GLib detaches the child and
// leaves no zombie.
bool RunWithPkexec(const QelString& path) {
    std::string file = path.ToFileName();
    char program[] = "pkexec";
    char* argv[] = {program, file.data(), nullptr};
    GError* error = nullptr;
    const bool started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
    if (error) {
        CQelLogMng::GetInstance()->Write(u"pkexec could not be started: %s", QelString::FromUtf8(error->message));
        g_error_free(error);
    }
    return started;
}

}  // namespace

bool LaunchElevated(const QelString& path) {
    QelElevationLauncher launcher;
    {
        std::lock_guard lock(g_launcherLock);
        launcher = g_launcher;
    }
    return launcher ? launcher(path) : RunWithPkexec(path);
}

void SetElevationLauncher(QelElevationLauncher launcher) {
    std::lock_guard lock(g_launcherLock);
    g_launcher = std::move(launcher);
}

}  // namespace qel
