// The main window's search session: the checks, the walk with its live
// progress and Stop, the summary, the hand-off to the result window and the
// history entry.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "CQelAFJSubWnd.h"
#include "CQelImgMngr.h"
#include "CQelLabel.h"
#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CQelResultSubWnd.h"
#include "CQelWinUtilFunc.h"
#include "CTessaryDlgDlg.h"
#include "QelDockPlacement.h"
#include "QelHandOffRecord.h"
#include "QelPath.h"
#include "QelQtConvert.h"
#include "QelStatusColors.h"

namespace {

using qel::kStatusCountText;
using qel::kStatusRunText;

// Progress on hits is shown at most this often; the clock ticks of the walk
// refresh it in between, hits or not.
constexpr auto kProgressRefreshInterval = std::chrono::milliseconds(30);

constexpr char kNoJobQuestion[] =
    "No post-retrieval processing action was specified.\t\t\t\t\t\t\t\n"
    "If not specified, only results are output.\t\t\t\t\t\t\t\n"
    "Would you like to proceed?";

// The strings of one member of a filter record, those that are strings.
void CopyStrings(const Json::Value& record, const char* key, QelStringArray& out) {
    out.RemoveAll();
    const Json::Value& list = record[key];
    if (!list.isArray()) return;
    for (const Json::Value& item : list) {
        if (item.isString()) out.Add(QelString::FromUtf8(item.asString()));
    }
}

long long SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// What a search that passed its checks walks and what it does afterwards.
struct CTessaryDlgDlg::SearchRequest {
    QelString path;
    bool includeSub = true;
    bool runJob = false;
    QelStringArray names;
    QelStringArray extensions;
    QelStringArray folders;
};

void CTessaryDlgDlg::OnSearch() {
    // While a walk, a result command or a job runs the same button reads "Stop".
    if (m_stopWork) {
        m_stopWork();
        return;
    }
    SearchRequest request;
    if (!PrepareSearch(request)) return;
    m_fileResults.RemoveAll();
    m_folderResults.RemoveAll();
    RunWalk(request);
    FinishSearch(request);
}

void CTessaryDlgDlg::RequestSearchStop() {
    if (!m_searching || m_stopRequested) return;
    m_stopRequested = true;
    CQelLogMng::GetInstance()->Write(u"Stop Search!");
}

bool CTessaryDlgDlg::PrepareSearch(SearchRequest& request) {
    request.path = FromQString(m_pathEdit->text());
    if (request.path.IsEmpty()) {
        CQelMessageBox::Show(this, QStringLiteral("The path is empty!!"), CQelMessageBox::Kind::Warning);
        return false;
    }
    if (const int error = qel::PathError(request.path); error != 0) {
        CQelMessageBox::Show(this, ToQString(qel::InvalidSearchPathText(request.path, error)),
                             CQelMessageBox::Kind::Warning);
        return false;
    }
    if (m_filterCombo->count() == 0) {
        CQelMessageBox::Show(this, QStringLiteral("There are no search filters."), CQelMessageBox::Kind::Warning);
        return false;
    }
    request.runJob = m_afterSearch->isChecked();
    if (request.runJob && m_jobCombo->count() == 0) {
        if (!CQelMessageBox::Ask(this, QString::fromLatin1(kNoJobQuestion))) return false;
        request.runJob = false;
    }
    if (!CopyCriteria(request.names, request.extensions, request.folders)) {
        CQelLogMng::GetInstance()->Write(u"There are no search criteria!!");
        CQelMessageBox::Show(this, QStringLiteral("There are no search criteria!!"), CQelMessageBox::Kind::Warning);
        return false;
    }
    request.includeSub = m_includeSub->isChecked();
    return true;
}

bool CTessaryDlgDlg::CopyCriteria(QelStringArray& names, QelStringArray& extensions, QelStringArray& folders) const {
    names.RemoveAll();
    extensions.RemoveAll();
    folders.RemoveAll();
    const Json::Value* selected = m_filterList.Record(m_filterList.SelectedIndex());
    if (!selected) return false;
    const Json::Value& record = *selected;
    CopyStrings(record, "filterfilename", names);
    CopyStrings(record, "filterfileext", extensions);
    CopyStrings(record, "filterdirname", folders);
    return !names.empty() || !extensions.empty() || !folders.empty();
}

void CTessaryDlgDlg::RunWalk(const SearchRequest& request) {
    CQelFileMng* files = CQelFileMng::GetInstance();
    files->SetEventDelegate(this);
    m_searchStart = std::chrono::steady_clock::now();
    m_lastProgressRefresh = m_searchStart - kProgressRefreshInterval;  // the first hit shows at once
    m_stopRequested = false;
    m_searching = true;
    m_showFirstRows = !request.runJob;  // a job's results go to the job log, never to the list
    m_firstRowsShown = false;
    BeginSearchFrame();

    m_searchedPath = request.path;
    CQelLogMng::GetInstance()->Write(u"Run Search!");
    SetStatus(u"Run Search!", kStatusRunText);
    files->SearchFiles(request.path, m_fileResults, m_folderResults, request.names, request.extensions,
                       request.folders, request.includeSub);
}

void CTessaryDlgDlg::FinishSearch(const SearchRequest& request) {
    const long long seconds = SecondsSince(m_searchStart);
    const bool stopped = m_stopRequested;
    CQelLogMng::GetInstance()->Write(stopped ? u"Stopped Search!" : u"Finish Search!");
    SetStatus(stopped ? u"Stopped Search!" : u"Finish Search!", kStatusRunText);
    const QelString summary =
        QelString::Formatted(stopped ? u"Search stopped: Find File:%d, Folder:%d, search took %d seconds"
                                     : u"Find File:%d, Folder:%d, search took %d seconds",
                             m_fileResults.GetCount(), m_folderResults.GetCount(), seconds);
    CQelLogMng::GetInstance()->Write(u"%s", summary);
    SetStatus(summary, kStatusCountText);
    CQelWinUtilFunc::GetInstance()->PumpMessages();

    // A job must never act on a partial result: a stopped search is only shown.
    if (request.runJob && !stopped)
        ShowJobSubWnd(m_jobWnd != nullptr);
    else
        ShowResultSubWnd(m_resultWnd != nullptr);
    EndSearchFrame();
    AddToHistory(request.path, request.includeSub);
    // Counted from now: keys pressed while the rows were being handed over come after this.
    if (stopped) m_lastSearchStop = std::chrono::steady_clock::now();
}

void CTessaryDlgDlg::BeginSearchFrame() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowStopControl([this] { RequestSearchStop(); });
    m_searchButton->setToolTip(QStringLiteral("Stop the search"));
    if (m_jobWnd) m_jobWnd->BeginBusy();
    if (m_resultWnd) {
        m_resultWnd->BeginBusy();
        setEnabled(true);  // the busy frame disables its owner; Stop must stay reachable
    }
}

void CTessaryDlgDlg::EndSearchFrame() {
    HideStopControl();
    setEnabled(true);
    if (m_jobWnd) m_jobWnd->EndBusy();
    QApplication::restoreOverrideCursor();
    m_searching = false;
    m_stopRequested = false;
}

void CTessaryDlgDlg::OnSearchProgress(std::int32_t fileCount, std::int32_t folderCount) {
    CQelLogMng::GetInstance()->Write(u"Find File:%d, Folder:%d", fileCount, folderCount);
    if (m_showFirstRows && !m_firstRowsShown && static_cast<std::size_t>(fileCount) + folderCount >= kFirstRows)
        ShowFirstRows();
    // Refreshing and pumping on every hit would dominate a large search; the
    // summary at the end always carries the final counts.
    if (std::chrono::steady_clock::now() - m_lastProgressRefresh < kProgressRefreshInterval) return;
    ShowSearchProgress(fileCount, folderCount);
}

bool CTessaryDlgDlg::OnSearchTick(std::int32_t fileCount, std::int32_t folderCount, const QelString& currentFolder) {
    m_currentFolder = currentFolder;
    ShowSearchProgress(fileCount, folderCount);
    return !m_stopRequested;
}

// The counts, the seconds so far and the folder being read, shortened in the
// middle so that both ends of the path stay readable on the label.
void CTessaryDlgDlg::ShowSearchProgress(std::int32_t fileCount, std::int32_t folderCount) {
    m_lastProgressRefresh = std::chrono::steady_clock::now();
    const QelString counts = QelString::Formatted(u"Find File:%d, Folder:%d, %d seconds, ", fileCount, folderCount,
                                                  SecondsSince(m_searchStart));
    const QFontMetrics metrics(ToQFont(m_status->GetPropFont(u"font")));
    const QString prefix = ToQString(counts);
    const int room = m_status->width() - metrics.horizontalAdvance(prefix) - 2 * kStatusTextMargin;
    const QString folder = metrics.elidedText(ToQString(m_currentFolder), Qt::ElideMiddle, std::max(room, 0));
    SetStatus(FromQString(prefix + folder), kStatusCountText);
    CQelWinUtilFunc::GetInstance()->PumpMessages();
}

void CTessaryDlgDlg::ShowResultSubWnd(bool alreadyExists) {
    if (m_jobWnd) m_jobWnd->hide();  // one docked window at a time
    if (!alreadyExists) {
        CreateResultSubWnd(/*withAllRows=*/true);
        activateWindow();
        setFocus();
        return;
    }
    // Closed by the user since: it comes back docked where the main window is now.
    if (!m_resultWnd->isVisible()) DockSubWindow(m_resultWnd.get(), kResultSubWndHeight);
    m_resultWnd->UpdateResultLists(m_fileResults, m_folderResults, m_searchedPath);
    setEnabled(true);
    m_resultWnd->EndBusy();
}

// With all rows the lists are handed over (straight into the rows, without
// the text a large record would cost twice); otherwise a copy of the first rows.
void CTessaryDlgDlg::CreateResultSubWnd(bool withAllRows) {
    CQelLogMng* log = CQelLogMng::GetInstance();
    m_resultWnd = std::make_unique<CQelResultSubWnd>();
    m_resultWnd->SetDelegate(this);
    log->Write(u"SubWindow[Hwnd=%s]", u"NULL");
    const QRect docked = qel::DockedRect(this, kResultSubWndHeight);
    const qel::QelSubWndSize size{docked.width(), docked.height()};
    const std::string record = withAllRows
                                   ? qel::WriteHandOffRecord({}, {}, &size, m_searchedPath.view())
                                   : FirstRowsRecord(&size);
    m_resultWnd->CreateSubWnd(this, record, docked.left(), docked.top());
    if (withAllRows) m_resultWnd->UpdateResultLists(m_fileResults, m_folderResults, m_searchedPath);
    DockSubWindow(m_resultWnd.get(), kResultSubWndHeight);  // its own frame taken off, as far as known
    log->Write(u"Create SubWindow!!");
}

// A large search shows its first rows while the walk goes on; the result
// window stays busy, so no command can act on a part of the results, and
// the end of the walk replaces them with all of them.
void CTessaryDlgDlg::ShowFirstRows() {
    m_firstRowsShown = true;
    if (!m_resultWnd) {
        CreateResultSubWnd(/*withAllRows=*/false);
        m_resultWnd->BeginBusy();
        setEnabled(true);  // the busy frame disables its owner; Stop must stay reachable
    } else {
        if (!m_resultWnd->isVisible()) DockSubWindow(m_resultWnd.get(), kResultSubWndHeight);
        m_resultWnd->UpdateResult(FirstRowsRecord(nullptr));
    }
    // Painted now rather than at the next progress refresh.
    CQelWinUtilFunc::GetInstance()->PumpMessages();
}

std::string CTessaryDlgDlg::FirstRowsRecord(const qel::QelSubWndSize* size) const {
    const std::size_t files = std::min<std::size_t>(m_fileResults.size(), kFirstRows);
    const std::size_t folders = std::min<std::size_t>(m_folderResults.size(), kFirstRows - files);
    return qel::WriteHandOffRecord(
        QelStringArray(m_fileResults.begin(), m_fileResults.begin() + static_cast<std::ptrdiff_t>(files)),
        QelStringArray(m_folderResults.begin(), m_folderResults.begin() + static_cast<std::ptrdiff_t>(folders)), size);
}

// The lists are released while the record is written: a large search holds
// one full copy of its paths at a time.
std::string CTessaryDlgDlg::TakeHandOffRecord(const qel::QelSubWndSize* size) {
    std::string record =
        qel::WriteHandOffRecord(std::move(m_fileResults), std::move(m_folderResults), size, m_searchedPath.view());
    m_fileResults.RemoveAll();
    m_folderResults.RemoveAll();
    return record;
}
