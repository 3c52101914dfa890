// The main window's settings: loading env.json (and what to do when the
// user's file cannot be read), restoring and storing the outer window
// rectangle, and saving at Exit or when the session ends.

#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "CQelDirMng.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CTessaryDlgDlg.h"
#include "QelFileOps.h"
#include "QelLocalTime.h"
#include "QelQtConvert.h"
#include "QelScreenFit.h"

namespace {

QelString UserEnvPath() { return CQelDirMng::GetInstance()->GetSubPath(u"user", qel::kEnvFileName, false); }

int ClampToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

}  // namespace

void CTessaryDlgDlg::LoadEnvironment() {
    m_env = qel::LoadEnvironment(m_settings);
    if (m_settings.IsUserFileBroken()) KeepBrokenSettingsFile();
    if (m_settings.GetUserFileState() == CQelJSONFileMng::UserFile::kUnreadable) ReportUnreadableSettingsFile();
}

// The run goes on with what could be read, and Exit writes that back; the
// user's broken file is moved aside first so that nothing in it is lost.
// Where it cannot be moved it stays, and Exit will not replace it.
void CTessaryDlgDlg::KeepBrokenSettingsFile() {
    const QelString file = UserEnvPath();
    const qel::LocalTime now = qel::NowLocal();
    QelString kept;
    for (int attempt = 0; attempt < 100 && kept.IsEmpty(); ++attempt) {
        QelString candidate = QelString::Formatted(u"%s.broken-%04u%02u%02u-%02u%02u%02u", file, now.year, now.month,
                                                   now.day, now.hour, now.minute, now.second);
        if (attempt > 0) candidate.Append(QelString::Formatted(u"-%d", attempt));
        if (qel::MoveFile(file, candidate)) kept = candidate;
    }
    CQelLogMng::GetInstance()->Write(u"Broken settings file \"%s\" kept as \"%s\"", file, kept);
    if (!kept.IsEmpty()) m_settings.ReleaseUserFile();
    const QString text =
        kept.IsEmpty()
            ? QStringLiteral("The settings file \"%1\" could not be read!!\n"
                             "It is left as it is and will not be replaced; "
                             "the program goes on with what could be read from it.")
                  .arg(ToQString(file))
            : QStringLiteral("The settings file \"%1\" could not be read!!\n"
                             "It was kept as \"%2\"; the program goes on with what could be read from it.")
                  .arg(ToQString(file), ToQString(kept));
    CQelMessageBox::Show(this, text, CQelMessageBox::Kind::Warning);
}

// A file that is there but cannot be read (permissions, not a regular file,
// too large) may hold the user's settings: it is never replaced, and Exit
// asks as for any failed save.
void CTessaryDlgDlg::ReportUnreadableSettingsFile() {
    const QString text = QStringLiteral("The settings file \"%1\" could not be read (%2)!!\n"
                                        "It is left as it is: the program starts without it, "
                                        "and changes made in this run cannot be saved to it.")
                             .arg(ToQString(UserEnvPath()), ToQString(m_settings.GetUserFileReason()));
    CQelMessageBox::Show(this, text, CQelMessageBox::Kind::Warning);
}

// The stored outer rectangle, fitted to the screens of this run. A rectangle
// on no screen (a monitor removed since) keeps the default position.
void CTessaryDlgDlg::RestoreWindowPosition() {
    qel::QelWindowRect saved;
    if (!qel::ReadLastPosition(m_settings, saved)) return;
    m_savedFrame = qel::FitRectToDesktop(saved.left, saved.top, saved.right, saved.bottom);
    ApplySavedFrame();
}

// Qt places the frame but sizes the inside: the frame's own size is taken
// off, as far as it is known now. A window manager adds the frame only some
// time after the window is shown, so this runs again on show and on every
// move or resize until a frame has been taken into account; until then the
// inside would be given the outer size and the window would grow each run.
void CTessaryDlgDlg::ApplySavedFrame() {
    if (!m_savedFrame || m_applyingFrame) return;
    m_applyingFrame = true;
    const QSize frameExtra = frameGeometry().size() - size();
    move(m_savedFrame->topLeft());
    resize((m_savedFrame->size() - frameExtra).expandedTo(minimumSizeHint()));
    if (isVisible() && !frameExtra.isNull()) m_savedFrame.reset();
    m_applyingFrame = false;
}

void CTessaryDlgDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_savedFrame || event->spontaneous()) return;
    ApplySavedFrame();
    QTimer::singleShot(0, this, [this] { ApplySavedFrame(); });
    // A frameless window (no window manager) never reports a frame.
    QTimer::singleShot(kFrameWaitMs, this, [this] { m_savedFrame.reset(); });
}

bool CTessaryDlgDlg::SaveSettings() {
    StoreChoices();
    const QRect frame = frameGeometry();
    qel::StoreLastPosition(m_settings,
                           qel::QelWindowRect{frame.left(), frame.top(),
                                              ClampToInt(static_cast<long long>(frame.left()) + frame.width()),
                                              ClampToInt(static_cast<long long>(frame.top()) + frame.height())});
    return qel::SaveEnvironment(m_settings);
}

void CTessaryDlgDlg::SaveForSessionEnd() {
    m_sessionEnding = true;
    if (!SaveSettings()) CQelLogMng::GetInstance()->Write(u"\"%s\" not saved at the end of the session", UserEnvPath());
}
