#include "CQelAFJSubWnd.h"

#include <QCoreApplication>
#include <QListView>
#include <QPushButton>
#include <QWindow>

#include <json/reader.h>

#include "CCaption.h"
#include "CQelJobLogModel.h"
#include "CQelLogMng.h"
#include "QelDarkListLook.h"
#include "QelDialogButtons.h"
#include "QelQtConvert.h"
#include "QelJsonParse.h"

namespace {

const QColor kLogText(144, 238, 144);
constexpr int kStopWidth = 60;

// Only an object is a hand-off record; the text is released once parsed.
bool ParseRecord(std::string& text, Json::Value& out) {
    const bool parsed = qel::ParseJsonCpp(text, out);
    std::string().swap(text);
    return parsed && out.isObject();
}

int IntMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isInt() ? value.asInt() : 0;
}

}  // namespace

CQelAFJSubWnd::CQelAFJSubWnd() : QWidget(nullptr, Qt::Tool) {
    // A window of its own: the main window stays disabled while a job runs,
    // and this one must go on painting its rows meanwhile.
    resize(10, 10);
}

CQelAFJSubWnd::~CQelAFJSubWnd() = default;

bool CQelAFJSubWnd::CreateSubWnd(QWidget* parent, std::string jsonText, int x, int y) {
    if (!ParseRecord(jsonText, m_model)) {
        m_model = Json::Value();
        CQelLogMng::GetInstance()->Write(u"CreateSubWnd Json Read Failed");
        return false;
    }
    move(x, y);
    resize(IntMember(m_model, "width"), IntMember(m_model, "height"));
    BuildContents();
    if (parent) {
        // Stays above its owner, as an owned pop-up does.
        winId();
        parent->window()->winId();
        windowHandle()->setTransientParent(parent->window()->windowHandle());
    }
    // Shown before the run, so the rows can be watched as they come.
    show();
    RunJob();
    return true;
}

bool CQelAFJSubWnd::UpdateAndRun(std::string jsonText) {
    Json::Value update;
    if (!ParseRecord(jsonText, update)) {
        CQelLogMng::GetInstance()->Write(u"Update Json Read Failed");
        return false;
    }
    for (const char* key : {"fileresultlist", "dirresultlist", "afjitem", "searchpath"}) m_model[key].swap(update[key]);
    if (m_logView && !isVisible()) show();
    RunJob();
    return true;
}

void CQelAFJSubWnd::BeginBusy() {
    if (m_busy) return;
    m_busy = true;
    setCursor(Qt::WaitCursor);
}

void CQelAFJSubWnd::EndBusy() {
    if (!m_busy) return;
    unsetCursor();
    m_busy = false;
}

void CQelAFJSubWnd::RequestJobStop() {
    if (m_running) m_stopRequested = true;
}

void CQelAFJSubWnd::RunJob() {
    m_logModel->Clear();
    m_jobName = JobRecordName(m_model["afjitem"]);
    m_lastPaint = std::chrono::steady_clock::now();
    m_running = true;
    m_stopRequested = false;
    m_stopButton->show();
    QelJobOptions options;
    // The click or key reaches this flag while the rows are painted.
    options.keepGoing = [this] { return !m_stopRequested; };
    m_lastOutcome = CQelJobRunner(*this, options).Run(m_model);
    m_stopButton->hide();
    m_running = false;
    m_logView->scrollToBottom();
}

void CQelAFJSubWnd::OnJobLog(const QelString& row) {
    m_logModel->Append(ToQString(row));
    // Painting after every row would cost more than the work on a large
    // search; painting only at the end would hide a long job's progress.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPaint < m_paintInterval) return;
    m_lastPaint = now;
    m_logView->scrollToBottom();
    QCoreApplication::processEvents();
}

void CQelAFJSubWnd::keyPressEvent(QKeyEvent* event) {
    if (!qel::StopOnEscape(event, m_stopButton)) QWidget::keyPressEvent(event);
}

void CQelAFJSubWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void CQelAFJSubWnd::BuildContents() {
    if (m_logView) return;  // built once; later creations only run again

    m_caption = new CCaption(this);
    m_caption->Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, width(), kCaptionHeight), this,
                      5001);
    m_caption->SetCaption(u"After Search Job Log window");
    m_caption->SetTipText(u"This window is used to After Search Job.");

    m_logModel = new CQelJobLogModel(this);
    m_logView = new QListView(this);
    m_logView->setObjectName(QStringLiteral("jobLogList"));
    m_logView->setModel(m_logModel);
    m_logView->setUniformItemSizes(true);  // cheap scrolling through many rows
    m_logView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_logView->setSelectionMode(QAbstractItemView::SingleSelection);
    ApplyDarkListLook(m_logView, kLogText, false);
    m_stopButton = qel::MakeDialogButton(QStringLiteral("Stop"), QStringLiteral("stopButton"), this);
    m_stopButton->setToolTip(QStringLiteral("Stop the job after the current item (Esc)"));
    connect(m_stopButton, &QPushButton::clicked, this, &CQelAFJSubWnd::RequestJobStop);
    LayOut();
    m_caption->show();
    m_logView->show();
    m_stopButton->hide();  // shown while a job runs
}

void CQelAFJSubWnd::LayOut() {
    if (!m_logView) return;
    m_caption->setGeometry(0, 0, width(), kCaptionHeight);
    m_stopButton->setGeometry(width() - kStopWidth, 0, kStopWidth, kCaptionHeight);
    m_stopButton->raise();
    m_logView->setGeometry(0, kCaptionHeight, width(), height() - kCaptionHeight);
}
