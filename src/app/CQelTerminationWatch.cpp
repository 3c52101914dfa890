#include "CQelTerminationWatch.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace {

std::atomic<int> g_writeEnd{-1};

void OnTerm(int) {
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) (void)!::write(fd, "t", 1);
    errno = saved;
}

}  // namespace

CQelTerminationWatch::CQelTerminationWatch(QObject* parent) : QObject(parent) {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_writeEnd.store(m_pipe[1]);
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CQelTerminationWatch::OnSignalled);
    struct sigaction action {};
    action.sa_handler = OnTerm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;  // the second SIGTERM is not caught
    ::sigaction(SIGTERM, &action, nullptr);
}

CQelTerminationWatch::~CQelTerminationWatch() {
    ::signal(SIGTERM, SIG_DFL);
    g_writeEnd.store(-1);
    for (int fd : m_pipe)
        if (fd >= 0) ::close(fd);
}

void CQelTerminationWatch::OnSignalled() {
    char drained[16];
    while (::read(m_pipe[0], drained, sizeof drained) > 0) {
    }
    emit TerminationRequested();
}
