// The image cache and putting images on buttons; the shipped images.
#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>

#include "CQelImgMngr.h"
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

TEST_F(ImgFixture, ImagesComeFromResImgAreLoadedOnceAndAMissingFileIsTriedOnce) {
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
}

TEST_F(ImgFixture, SetButtonImagePutsThePictureAndEmptiesTheText) {
    WritePng(dir, "b.png", Qt::green);
    CQelImgMngr* mngr = CQelImgMngr::GetInstance();
    QPushButton push(QStringLiteral("Search"));
    EXPECT_EQ(mngr->SetButtonImage(&push, u"b.png", 3), 1);
    EXPECT_TRUE(push.text().isEmpty());
    EXPECT_FALSE(push.icon().isNull());
    EXPECT_EQ(push.iconSize(), QSize(16, 12));
    EXPECT_TRUE(push.isFlat());

    // A missing image still counts: the button keeps no picture and loses its text.
    QPushButton other(QStringLiteral("Go"));
    other.setIcon(push.icon());
    EXPECT_EQ(mngr->SetButtonImage(&other, u"none.png", 2), 1);
    EXPECT_TRUE(other.icon().isNull());
    EXPECT_TRUE(other.text().isEmpty());

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
