#include "CQelUpdateUiBridge.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include "CQelMessageBox.h"
#include "CTessaryDlgDlg.h"
#include "QelQtConvert.h"

namespace {
// How often a window busy with a search is looked at again once the
// installer runs: the window has no signal for the end of its work, and
// a search pumps events, so the look comes round while it runs.
constexpr int kIdleLookMs = 50;
}  // namespace

CQelUpdateUiBridge::CQelUpdateUiBridge(CTessaryDlgDlg* window, QProgressBar* progress, QWidget* link)
    : m_window(window), m_progress(progress), m_link(link) {
    QObject::connect(window, &QObject::destroyed, [state = m_state] {
        std::lock_guard lock(state->mutex);
        state->gone = true;
        state->changed.notify_all();
    });
}

void CQelUpdateUiBridge::RunOnUiThread(std::function<void()> task, bool wait) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (QThread::currentThread() == app->thread()) {
        task();
        return;
    }
    auto done = std::make_shared<bool>(false);  // guarded by m_state->mutex
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->gone) return;
    }
    QMetaObject::invokeMethod(
        app,
        [state = m_state, done, task = std::move(task)] {
            task();
            std::lock_guard lock(state->mutex);
            *done = true;
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    if (!wait) return;
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return *done || m_state->gone; });
}

void CQelUpdateUiBridge::ShowMessage(Icon icon, const QelString& text) {
    const auto kind = icon == Icon::Warning ? CQelMessageBox::Kind::Warning : CQelMessageBox::Kind::Information;
    RunOnUiThread(
        [self = shared_from_this(), message = ToQString(text), kind] {
            if (self->m_window) CQelMessageBox::Show(self->m_window, message, kind);
        },
        true);
}

bool CQelUpdateUiBridge::AskYesNo(const QelString& text) {
    auto yes = std::make_shared<bool>(false);
    RunOnUiThread(
        [self = shared_from_this(), question = ToQString(text), yes] {
            if (self->m_window)
                *yes = CQelMessageBox::Ask(self->m_window, question, QString(), CQelMessageBox::Answer::Yes);
        },
        true);
    std::lock_guard lock(m_state->mutex);  // the task wrote it under this lock
    return *yes;
}

void CQelUpdateUiBridge::ShowProgress() {
    RunOnUiThread(
        [self = shared_from_this()] {
            if (!self->m_progress) return;
            self->m_progress->setRange(0, 100);
            self->m_progress->setValue(0);
            self->m_progress->show();
        },
        true);
}

void CQelUpdateUiBridge::SetProgress(int percent) {
    // The download goes on without waiting for the bar to be painted.
    RunOnUiThread(
        [self = shared_from_this(), percent] {
            if (self->m_progress) self->m_progress->setValue(percent);
        },
        false);
}

void CQelUpdateUiBridge::HideProgress() {
    RunOnUiThread(
        [self = shared_from_this()] {
            if (self->m_progress) self->m_progress->hide();
        },
        true);
}

void CQelUpdateUiBridge::CloseProgram() {
    RunOnUiThread(
        [self = shared_from_this()] {
            // A second check could start a second installer over the first.
            self->m_installerStarted = true;
            if (self->m_link) self->m_link->setEnabled(false);
            self->ExitWhenIdle();
        },
        true);
}

void CQelUpdateUiBridge::ExitWhenIdle() {
    const auto idle = [](const CTessaryDlgDlg* window) { return !window->IsWorking() && window->isEnabled(); };
    if (!m_window) return;
    if (idle(m_window)) {
        m_window->OnExit();
        return;
    }
    auto* look = new QTimer(m_window);
    QObject::connect(look, &QTimer::timeout, m_window, [look, window = m_window, idle] {
        if (!window || !idle(window)) return;
        look->stop();
        look->deleteLater();
        window->OnExit();
    });
    look->start(kIdleLookMs);
}

void CQelUpdateUiBridge::OnUpdateCheckEnded() {
    RunOnUiThread(
        [self = shared_from_this()] {
            if (self->m_link && !self->m_installerStarted) self->m_link->setEnabled(true);
        },
        false);
}
