// The button: state machine, delegate order, state colours and the vertical painter.
#include <gtest/gtest.h>

#include <QTest>

#include "CQelButton.h"
#include "IQelButtonDelegate.h"
#include "QelPixels.h"

namespace {

struct Recorder : IQelButtonDelegate {
    std::vector<std::string> calls;
    void OnButtonDown(unsigned id) override { calls.push_back("down:" + std::to_string(id)); }
    void OnButtonUp(unsigned id) override { calls.push_back("up:" + std::to_string(id)); }
    void OnButtonClick(unsigned id) override { calls.push_back("click:" + std::to_string(id)); }
};

const QelColorRef kNormalFill = QelRGB(0xF5, 0xF5, 0xF5);
const QelColorRef kNormalFrame = QelRGB(0xCC, 0xCE, 0xDB);
const QelColorRef kHover = QelRGB(0xC9, 0xDE, 0xF5);
const QelColorRef kPressFrame = QelRGB(0x00, 0x7A, 0xCC);

struct ButtonFixture : ::testing::Test {
    QWidget window;
    CQelButton* button = nullptr;
    Recorder recorder;
    void SetUp() override {
        window.resize(200, 120);
        button = new CQelButton(&window);
        button->Create(&window, QRect(10, 10, 60, 24), 3001);
        button->SetDelegate(&recorder);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // A move as the window system delivers it: to the button, even off it while a button is held.
    void Move(QPoint p, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(button->mapToGlobal(p)), Qt::NoButton, held,
                         Qt::NoModifier);
        QApplication::sendEvent(button, &move);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
    }
};

}  // namespace

TEST_F(ButtonFixture, RegistersTheButtonDefaults) {
    EXPECT_EQ(button->GetPropString(u"bgcolor").ToStdString(), "#F5F5F5");
    EXPECT_EQ(button->GetPropString(u"border").ToStdString(), "true,0,0,1,#CCCEDB");
    EXPECT_EQ(button->GetPropInt(u"halign"), 1);
    EXPECT_EQ(button->GetPropInt(u"valign"), 1);
    EXPECT_EQ(button->GetPropColor(u"clrpressborder"), kPressFrame);
    EXPECT_EQ(button->GetPropColor(u"clrdisabletext"), QelRGB(0xA2, 0xA4, 0xA5));
    EXPECT_EQ(button->GetPropType(u"verttext"), PropTypeBool);
    EXPECT_EQ(button->GetPropType(u"icon"), PropTypeString);
    EXPECT_EQ(button->GetPropNames().GetCount(), 23);
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
}

TEST_F(ButtonFixture, ClickGivesDownUpClickInOrder) {
    Move(QPoint(5, 5));
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->GetState(), CQelButton::StatePressed);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"down:3001"}));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(6, 5));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"down:3001", "up:3001", "click:3001"}));
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);  // until the next move
    Move(QPoint(7, 5));
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
}

TEST_F(ButtonFixture, ReleaseElsewhereIsNoClick) {
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    Move(QPoint(100, 5), Qt::LeftButton);  // off the button while held
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(100, 5));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"down:3001"}));

    // Released outside without a move in between: still no click.
    recorder.calls.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-3, 5));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"down:3001"}));

    // Back over the button while held: hover, and the release there clicks nothing either.
    recorder.calls.clear();
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    Leave();
    Move(QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"down:3001"}));
}

TEST_F(ButtonFixture, LeaveReturnsToNormal) {
    Move(QPoint(5, 5));
    Leave();
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    Leave();
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
}

TEST_F(ButtonFixture, DisabledIgnoresTheMouseAndKeepsItsColours) {
    button->SetPropBool(u"enable", false);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->GetState(), CQelButton::StateDisabled);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    Move(QPoint(6, 6));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(6, 6));
    Leave();
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(button->GetState(), CQelButton::StateDisabled);
    const QImage img = Grab(*button);
    EXPECT_EQ(PixelAt(img, 0, 0), QelSysColor(QelColorInactiveBorder));
    EXPECT_EQ(PixelAt(img, 3, 3), button->GetPropColor(u"clrdisableback"));
    button->SetPropBool(u"enable", true);
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
}

TEST_F(ButtonFixture, EachStatePaintsItsFillAndFrame) {
    QImage img = Grab(*button);
    EXPECT_EQ(PixelAt(img, 0, 0), kNormalFrame);
    EXPECT_EQ(PixelAt(img, 59, 23), kNormalFrame);
    EXPECT_EQ(PixelAt(img, 1, 1), kNormalFill);

    Move(QPoint(5, 5));
    img = Grab(*button);
    EXPECT_EQ(PixelAt(img, 0, 0), kHover);
    EXPECT_EQ(PixelAt(img, 1, 1), kHover);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    img = Grab(*button);
    EXPECT_EQ(PixelAt(img, 0, 0), kPressFrame);
    EXPECT_EQ(PixelAt(img, 1, 1), kNormalFill);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    // Without a frame the whole rectangle is the state's fill.
    button->SetPropString(u"border", u"false,0,0,1,#CCCEDB");
    button->SetPropColor(u"bgcolor", QelRGB(1, 2, 3));
    img = Grab(*button);
    EXPECT_EQ(PixelAt(img, 0, 0), QelRGB(1, 2, 3));
    EXPECT_EQ(PixelAt(img, 30, 12), QelRGB(1, 2, 3));
}

TEST_F(ButtonFixture, CaptionIsCentredAndRepaintsWhenSet) {
    button->SetPropString(u"font", u"DejaVu Sans,-12,400,0,0,0,0");
    button->SetPropColor(u"fgcolor", QelRGB(0, 0, 255));
    button->SetPropString(u"caption", Blocks(2));
    const QRect box = ColorBox(Grab(*button), QelRGB(0, 0, 255));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_NEAR(box.center().x(), 30, 2);
    EXPECT_NEAR(box.center().y(), 12, 3);
}

TEST_F(ButtonFixture, VerticalTextRunsDownUnlessMultiLine) {
    button->resize(24, 100);
    button->SetPropString(u"font", u"DejaVu Sans,-12,400,0,0,0,0");
    button->SetPropColor(u"fgcolor", QelRGB(0, 0, 255));
    button->SetPropString(u"caption", Blocks(4));
    button->SetPropBool(u"verttext", true);
    QRect box = ColorBox(Grab(*button), QelRGB(0, 0, 255));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.height(), 2 * box.width());
    EXPECT_NEAR(box.center().y(), 50, 3);

    button->SetPropBool(u"singleline", false);
    button->resize(100, 30);
    box = ColorBox(Grab(*button), QelRGB(0, 0, 255));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.width(), box.height());
}

TEST_F(ButtonFixture, NullDelegateIsSilent) {
    button->SetDelegate(nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
}
