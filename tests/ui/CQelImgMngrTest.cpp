// The image cache and putting images on buttons; the shipped images.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QList>
#include <QPushButton>

#include "CQelImgMngr.h"
#include "QelDialogButtons.h"
#include "QelUiTestDir.h"

namespace {

// A PNG of that size at res/img/name (a 1-bit image keeps a huge one small on disk).
void WritePng(const QelUiTestDir& dir, const std::string& name, QSize size = {16, 12},
              QImage::Format format = QImage::Format_ARGB32) {
    QImage image(size, format);
    image.fill(0);
    ASSERT_TRUE(image.save(QString::fromStdString(dir.Write("res/img/" + name, "")), "PNG")) << name;
}

struct ImgFixture : ::testing::Test {
    QelUiTestDir dir;
    CQelImgMngr* Mngr() { return CQelImgMngr::GetInstance(); }
    void TearDown() override { CQelImgMngr::DeleteInstance(); }
};

}  // namespace

TEST_F(ImgFixture, ImagesComeFromResImgAreLoadedOnceAMissingFileIsTriedOnceAndButtonsShowThemInsteadOfText) {
    WritePng(dir, "a.png");
    const QImage* first = Mngr()->GetImage(u"a.png");
    EXPECT_TRUE(first->size() == QSize(16, 12) && Mngr()->GetImage(u"a.png") == first);
    EXPECT_TRUE(Mngr()->GetImage(u"late.png")->isNull());
    WritePng(dir, "late.png");
    EXPECT_TRUE(Mngr()->GetImage(u"late.png")->isNull());
    CQelImgMngr::DeleteInstance();  // a new manager tries again
    EXPECT_FALSE(Mngr()->GetImage(u"late.png")->isNull());

    // On a button: the picture in place of the text, and only the picture shows.
    QPushButton push(QStringLiteral("Search")), other(QStringLiteral("Go"));
    EXPECT_EQ(Mngr()->SetButtonImage(&push, u"a.png", 3), 1);
    EXPECT_TRUE(push.text().isEmpty() && push.isFlat() && push.styleSheet().contains("transparent") &&
                push.icon().availableSizes() == QList<QSize>{QSize(16, 12)});
    // A missing image still counts: the button keeps no picture and loses its text.
    other.setIcon(push.icon());
    EXPECT_EQ(Mngr()->SetButtonImage(&other, u"none.png", 2), 1);
    EXPECT_TRUE(other.icon().isNull() && other.text().isEmpty() && other.styleSheet().isEmpty());
    EXPECT_EQ(Mngr()->SetButtonImage(nullptr, u"b.png", 2), 0);
    // A dialog's button shows its image with the text as tooltip, or keeps its text without one.
    QPushButton kept(QStringLiteral("Add")), shown(QStringLiteral("Del"));
    qel::SetButtonImageIfPresent(&kept, u"none.png");
    qel::SetButtonImageIfPresent(&shown, u"a.png");
    EXPECT_TRUE(kept.text() == "Add" && kept.icon().isNull() && shown.text().isEmpty() && shown.toolTip() == "Del");
}

TEST_F(ImgFixture, EveryImageTheProgramNamesIsAPng) {
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_SOURCE_DIR));
    for (const char16_t* name : {u"ArrowDown.png", u"RDelete.png", u"PenAdd.png", u"PenEdit.png", u"PenDel.png", u"FindStart.png",
                                 u"DonateCoffee_Halvard.png", u"Add.png", u"Del.png", u"RCopy.png", u"RMove.png", u"RRename.png",
                                 u"RSaveExcel.png", u"RSaveTxt.png", u"arrow_down.png", u"arrow_up.png"})
        EXPECT_TRUE(Mngr()->GetImage(name)->width() >= 12 && Mngr()->GetImage(name)->hasAlphaChannel()) << QelString(name).ToStdString();
}

// Resource files that would hang or swamp the window: a FIFO is not waited
// on, an image over the side limit is refused before it is decoded, and a
// large one is kept only as large as a button shows it.
TEST_F(ImgFixture, ImagesAreReadWithoutBlockingAndKeptNoLargerThanAButtonShowsThem) {
    const std::tuple<QSize, QImage::Format, QSize> cases[] = {  // the size kept; invalid: refused
        {{300, 100}, QImage::Format_ARGB32, {128, 42}},    {{4096, 4096}, QImage::Format_ARGB32, {128, 128}},
        {{4097, 16}, QImage::Format_Mono, {}},             {{16, 4097}, QImage::Format_Mono, {}},
        {{5600, 5600}, QImage::Format_Mono, {}},
    };
    for (const auto& [size, format, kept] : cases) {
        const std::string name = std::to_string(size.width()) + "x" + std::to_string(size.height()) + ".png";
        WritePng(dir, name, size, format);
        QPushButton button;
        Mngr()->SetButtonImage(&button, QelString::FromUtf8(name), 2);
        EXPECT_EQ(button.icon().availableSizes(), kept.isValid() ? QList<QSize>{kept} : QList<QSize>{}) << name;
    }
    ASSERT_EQ(::mkfifo((dir.path() + "/res/img/fifo.png").c_str(), 0600), 0);
    ::alarm(60);  // a blocking open would never return: end the program instead
    EXPECT_TRUE(Mngr()->GetImage(u"fifo.png")->isNull());
    ::alarm(0);
}
