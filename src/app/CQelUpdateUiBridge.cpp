#include "CQelUpdateUiBridge.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QThread>

#include "CQelMessageBox.h"
#include "CTessaryDlgDlg.h"
#include "QelQtConvert.h"

CQelUpdateUiBridge::CQelUpdateUiBridge(CTessaryDlgDlg* window, QProgressBar* progress, QWidget* link)
    : m_window(window), m_progress(progress), m_link(link) {}

void CQelUpdateUiBridge::RunOnUiThread(std::function<void()> task, bool wait) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (QThread::currentThread() == app->thread()) {
        task();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(task), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void CQelUpdateUiBridge::ShowMessage(Icon icon, const QelString& text) {
    const QString message = ToQString(text);
    const auto kind = icon == Icon::Warning ? CQelMessageBox::Kind::Warning : CQelMessageBox::Kind::Information;
    RunOnUiThread(
        [this, &message, kind] {
            if (m_window) CQelMessageBox::Show(m_window, message, kind);
        },
        true);
}

bool CQelUpdateUiBridge::AskYesNo(const QelString& text) {
    const QString question = ToQString(text);
    bool yes = false;
    RunOnUiThread(
        [this, &question, &yes] {
            if (m_window) yes = CQelMessageBox::Ask(m_window, question);
        },
        true);
    return yes;
}

void CQelUpdateUiBridge::ShowProgress() {
    RunOnUiThread(
        [this] {
            if (!m_progress) return;
            m_progress->setRange(0, 100);
            m_progress->setValue(0);
            m_progress->show();
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
        [this] {
            if (m_progress) m_progress->hide();
        },
        true);
}

void CQelUpdateUiBridge::CloseProgram() {
    RunOnUiThread(
        [this] {
            if (m_window) m_window->OnExit();
        },
        true);
}

void CQelUpdateUiBridge::OnUpdateCheckEnded() {
    RunOnUiThread(
        [self = shared_from_this()] {
            if (self->m_link) self->m_link->setEnabled(true);
        },
        false);
}
