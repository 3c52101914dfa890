// The image cache and putting images on buttons; the shipped images.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include <QImage>
#include <QList>
#include <QPushButton>

#include "CQelImgMngr.h"
#include "QelPeakMemory.h"
#include "QelProgramImages.h"
#include "QelUiTestDir.h"

namespace {

void WritePng(const QelUiTestDir& dir, const std::string& name, QColor color) {
    QImage image(16, 12, QImage::Format_ARGB32);
    image.fill(color);
    const std::string path = dir.Write("res/img/" + name, "");
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

struct ImgFixture : ::testing::Test {
    QelUiTestDir dir;
    void TearDown() override { CQelImgMngr::DeleteInstance(); }
};

}  // namespace

TEST_F(ImgFixture, ImagesComeFromResImgAreLoadedOnceAMissingFileIsTriedOnceAndButtonsShowThemInsteadOfText) {
    WritePng(dir, "a.png", Qt::red);
    CQelImgMngr* mngr = CQelImgMngr::GetInstance();
    EXPECT_EQ(CQelImgMngr::GetImagePath(u"a.png").ToStdString(), dir.Path() + "/res/img/a.png");
    const QImage* first = mngr->GetImage(u"a.png");
    ASSERT_TRUE(first && !first->isNull());
    EXPECT_EQ(first->size(), QSize(16, 12));
    EXPECT_EQ(mngr->GetImage(u"a.png"), first);

    EXPECT_TRUE(mngr->GetImage(u"late.png")->isNull());
    WritePng(dir, "late.png", Qt::blue);
    EXPECT_TRUE(mngr->GetImage(u"late.png")->isNull());
    EXPECT_EQ(mngr->GetCachedCount(), 2);
    // A new manager tries again.
    CQelImgMngr::DeleteInstance();
    EXPECT_FALSE(CQelImgMngr::GetInstance()->GetImage(u"late.png")->isNull());

    // On a button: the picture in place of the text.
    mngr = CQelImgMngr::GetInstance();
    QPushButton push(QStringLiteral("Search"));
    EXPECT_EQ(mngr->SetButtonImage(&push, u"a.png", 3), 1);
    EXPECT_TRUE(push.text().isEmpty());
    EXPECT_FALSE(push.icon().isNull());
    EXPECT_EQ(push.iconSize(), QSize(16, 12));
    EXPECT_TRUE(push.isFlat());
    EXPECT_TRUE(push.styleSheet().contains("transparent"));  // only the picture shows

    // A missing image still counts: the button keeps no picture and loses its text.
    QPushButton other(QStringLiteral("Go"));
    other.setIcon(push.icon());
    EXPECT_EQ(mngr->SetButtonImage(&other, u"none.png", 2), 1);
    EXPECT_TRUE(other.icon().isNull());
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_TRUE(other.styleSheet().isEmpty());

    EXPECT_EQ(mngr->SetButtonImage(nullptr, u"b.png", 2), 0);
}

TEST(CQelImgMngrShipped, EveryImageTheProgramNamesIsAPng) {
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_SOURCE_DIR));
    for (const char16_t* name : kProgramImages) {
        SCOPED_TRACE(QelString(name).ToStdString());
        const QImage* image = CQelImgMngr::GetInstance()->GetImage(name);
        ASSERT_FALSE(image->isNull());
        EXPECT_GE(image->width(), 12);
        EXPECT_TRUE(image->hasAlphaChannel());
    }
    CQelImgMngr::DeleteInstance();
}


namespace {
// A PNG of the given size and format at res/img/name (a 1-bit image keeps a huge one small on disk).
void WriteSizedPng(const QelUiTestDir& dir, const std::string& name, QSize size, QImage::Format format) {
    QImage image(size, format);
    image.fill(0);
    ASSERT_TRUE(image.save(QString::fromStdString(dir.Write("res/img/" + name, "")), "PNG")) << name;
}
}  // namespace

// Resource files that would hang or swamp the window: a FIFO is not waited
// on, an image over the side limit is refused before it is decoded, and a
// large one is kept only as large as a button shows it.
TEST_F(ImgFixture, ImagesAreReadWithoutBlockingAndKeptNoLargerThanAButtonShowsThem) {
    std::filesystem::create_directories(dir.Path() + "/res/img");
    ASSERT_EQ(::mkfifo((dir.Path() + "/res/img/fifo.png").c_str(), 0600), 0);
    ::alarm(60);  // a blocking open would never return: end the program instead
    EXPECT_TRUE(CQelImgMngr::GetInstance()->GetImage(u"fifo.png")->isNull());
    ::alarm(0);

    struct Case {
        QSize size;
        QImage::Format format;
        QSize kept;  // invalid: refused
    };
    const std::vector<Case> cases = {
        {{16, 12}, QImage::Format_ARGB32, {16, 12}},
        {{300, 100}, QImage::Format_ARGB32, {128, 42}},
        {{4096, 4096}, QImage::Format_ARGB32, {128, 128}},
        {{4097, 16}, QImage::Format_Mono, {}},
        {{16, 4097}, QImage::Format_Mono, {}},
        {{5600, 5600}, QImage::Format_Mono, {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::string name = "case" + std::to_string(i) + ".png";
        WriteSizedPng(dir, name, c.size, c.format);
        SCOPED_TRACE(name);
        const QImage* image = CQelImgMngr::GetInstance()->GetImage(QelString::FromUtf8(name));
        EXPECT_EQ(image->isNull() ? QSize() : image->size(), c.kept);
        QPushButton button;
        CQelImgMngr::GetInstance()->SetButtonImage(&button, QelString::FromUtf8(name), 2);
        EXPECT_EQ(button.icon().availableSizes(), c.kept.isValid() ? QList<QSize>{c.kept} : QList<QSize>{});
    }

    // Eight buttons with a picture of 4096 x 4096 each: one decoding at a time, nothing kept at full size.
    const std::string folder = dir.Path() + "/res/img/";
    for (int i = 0; i < 8; ++i) std::filesystem::copy_file(folder + "case2.png", folder + "big" + std::to_string(i) + ".png");
    CQelImgMngr::DeleteInstance();
    const QelPeak peak = QelMeasurePeakHere([] {
        std::vector<std::unique_ptr<QPushButton>> buttons;
        for (int i = 0; i < 8; ++i) {
            buttons.push_back(std::make_unique<QPushButton>());
            CQelImgMngr::GetInstance()->SetButtonImage(buttons.back().get(),
                                                       QelString::FromUtf8("big" + std::to_string(i) + ".png"), 3);
        }
        return buttons.back()->iconSize() == QSize(128, 128);
    });
    std::printf("eight 4096 x 4096 button images: %.0f MiB more at the peak\n", peak.mib - peak.before);
    EXPECT_TRUE(peak.ok);
    EXPECT_LT(peak.mib - peak.before, 128.0);  // one decoded image is 64 MiB
}
