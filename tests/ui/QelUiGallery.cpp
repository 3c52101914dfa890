// Writes a picture of each control in its typical looks to PNG files, so a
// reviewer can see them:  qel_ui_gallery <output folder>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>

#include "CCaption.h"
#include "CQelButton.h"
#include "CQelImgMngr.h"
#include "CQelDirMng.h"
#include "CQelLabel.h"
#include "CQelPopupWnd.h"
#include "QelProgramImages.h"
#include "QelViewPopup.h"

namespace {

QString g_dir;
bool g_ok = true;

void Save(const QImage& image, const char* name) {
    const bool ok = image.save(g_dir + QLatin1Char('/') + QLatin1String(name), "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", name);
    g_ok &= ok;
}

void Save(QWidget& widget, const char* name) { Save(widget.grab().toImage(), name); }

// A label placed at the origin with a frame, a background and a text colour.
void Style(CQelLabel& label, QSize size, const char16_t* border, QelColorRef bg, QelColorRef fg) {
    label.Create(nullptr, QRect(QPoint(0, 0), size), 1);
    label.SetPropString(u"border", border);
    label.SetPropColor(u"bgcolor", bg);
    label.SetPropColor(u"fgcolor", fg);
}

void Labels() {
    // The main window's status label during a search, then too narrow, then disabled.
    CQelLabel status;
    Style(status, QSize(360, 24), u"true,0,0,1,#2f4f4f", QelRGB(0x34, 0x3d, 0x45), QelRGB(0xee, 0xe8, 0xaa));
    status.SetPropString(u"font", u"맑은 고딕,-12,700,0,0,0,129");
    status.SetPropBool(u"elispisis", true);
    status.SetPropString(u"caption", u"Find File:1289, Folder:77, search took 3 seconds");
    Save(status, "label_status_progress.png");
    status.resize(160, 24);
    Save(status, "label_status_ellipsis.png");
    status.SetPropBool(u"enable", false);
    Save(status, "label_status_disabled.png");

    CQelLabel multi;
    Style(multi, QSize(220, 90), u"true,0,6,1,#555555", QelRGB(43, 43, 43), QelRGB(212, 212, 212));
    multi.SetPropBool(u"singleline", false);
    multi.SetPropIntArray(u"padding", {6, 4, 6, 4});
    multi.SetPropString(u"caption", u"A caption on several lines,\nwrapped at characters when a paragraph is wider "
                                    u"than the label.\nLast line.");
    Save(multi, "label_multiline.png");

    CQelLabel meta;
    Style(meta, QSize(300, 60), u"false,0,0,1,#000000", QelRGB(43, 43, 43), QelRGB(212, 212, 212));
    meta.SetPropBool(u"singleline", false);
    meta.SetPropString(u"metacaption", QelString::FromUtf8(
        R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF6060"},{"txt":" in ","size":"3"},)"
        R"({"txt":"styled","italic":true,"line":true,"color":"4B9CD6"},{"txt":" words","strikeout":true}],)"
        R"([{"txt":"Second paragraph ","size":"12pt"},{"txt":"with background","bgcolor":"2F4F4F","color":"EEE8AA"}]])"));
    Save(meta, "label_meta.png");
}

void Buttons() {
    QWidget window;
    window.resize(120, 120);
    auto* button = new CQelButton(&window);
    button->Create(&window, QRect(0, 0, 100, 28), 3000);
    button->SetPropString(u"caption", u"Button");
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    Save(*button, "button_normal.png");
    QTest::mouseMove(button, QPoint(10, 10));
    Save(*button, "button_hover.png");
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    Save(*button, "button_pressed.png");
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    button->SetPropBool(u"enable", false);
    Save(*button, "button_disabled.png");
    button->SetPropBool(u"enable", true);
    button->setGeometry(0, 0, 24, 100);
    button->SetPropBool(u"verttext", true);
    button->SetPropString(u"caption", u"Vertical");
    Save(*button, "button_vertical.png");
}

void Caption() {
    CCaption caption;
    caption.Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, 400, 18), nullptr, 5001);
    caption.SetCaption(u"Search Result - Files 1289, Folders 77");
    Save(caption, "caption.png");
}

void Popups() {
    QWidget owner;
    owner.resize(200, 100);
    owner.show();
    CQelPopupWnd options;
    std::string tools;
    for (const char* name : {"add", "del", "up", "down"})
        tools += std::string(tools.empty() ? "" : ",") + "\"" + name + R"(":{"type":"button","act":"func|)" + name +
                 R"(","bgcolor":"60:63:65","fgcolor":"212:212:212","clrfocus":"75:156:214"})";
    const std::string description =
        R"({"width":260,"height":150,"bgcolor":"43:43:43","linecolor":"85:85:85","txtcolor":"81:156:214",)"
        R"("disptype":"optlist","listopt":{"toolbar":{)" + tools + "},"
        R"("showhead":true,"blockcolor":2,"blockcolorlist":["43:43:43","63:63:63"],)"
        R"("colitems":["Option"],"colitemwidths":[250],"values":["alpha","beta","gamma","delta"]}})";
    options.CreatePopup(&owner, description, 10, 10);
    (void)QTest::qWaitForWindowExposed(&options);
    Save(options, "popup_optlist.png");

    rapidjson::Document doc;
    if (!QelViewFile::Load(QelViewFile::GetViewFilePath(u"pathhistory-tippopup.json"), doc)) {
        std::printf("FAILED history view file\n");
        g_ok = false;
        return;
    }
    QelViewFile::SetInt(doc, "/width", 320);
    QelViewFile::SetInt(doc, "/height", 22 * 3);
    QelViewFile::SetIntArray(doc, "/listopt/colitemwidths", {310});
    QelStringArray lines;
    lines.Add(u"[2024/01/31] /home/user/Work(sub check)");
    lines.Add(u"[2024/02/02] /srv/share/photos(sub not check)");
    lines.Add(u"[2024/02/03] /tmp(sub check)");
    QelViewFile::SetStringArray(doc, "/listopt/values", lines);
    CQelPopupWnd history;
    history.CreatePopup(&owner, QelViewFile::ToText(doc), 10, 200);
    (void)QTest::qWaitForWindowExposed(&history);
    Save(history, "popup_history.png");
}

// The program's images, four times their size on the dark list background.
void ImageSheet() {
    QImage sheet(1400, 400, QImage::Format_RGB32);
    sheet.fill(QColor(43, 43, 43));
    QPainter p(&sheet);
    int x = 8, y = 8, rowHeight = 0;
    for (const char16_t* name : kProgramImages) {
        const QImage* image = CQelImgMngr::GetInstance()->GetImage(name);
        const QSize size = image->size() * 4;
        if (x + size.width() > sheet.width()) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        p.drawImage(QRect(QPoint(x, y), size), *image);
        x += size.width() + 8;
        rowHeight = std::max(rowHeight, size.height());
    }
    p.end();
    Save(sheet, "images_sheet.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_dir);
    // The shipped view files and images.
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_SOURCE_DIR));
    Labels();
    Buttons();
    Caption();
    Popups();
    ImageSheet();
    return g_ok ? 0 : 1;
}
