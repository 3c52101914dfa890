// The button: state machine, delegate order, state colours and the vertical painter.
#include <gtest/gtest.h>

#include <QTest>

#include "CQelButton.h"
#include "IQelButtonDelegate.h"
#include "QelPixels.h"

namespace {

using Calls = std::vector<std::string>;

struct Recorder : IQelButtonDelegate {
    Calls calls;
    void OnButtonDown(unsigned id) override { calls.push_back("down:" + std::to_string(id)); }
    void OnButtonUp(unsigned id) override { calls.push_back("up:" + std::to_string(id)); }
    void OnButtonClick(unsigned id) override { calls.push_back("click:" + std::to_string(id)); }
};

const QelColorRef kNormalFill = QelRGB(0xF5, 0xF5, 0xF5);
const QelColorRef kNormalFrame = QelRGB(0xCC, 0xCE, 0xDB);
const QelColorRef kHover = QelRGB(0xC9, 0xDE, 0xF5);
const QelColorRef kPressFrame = QelRGB(0x00, 0x7A, 0xCC);
const QelColorRef kBlue = QelRGB(0, 0, 255);

struct ButtonFixture : ::testing::Test {
    QWidget window;
    CQelButton* button = nullptr;
    Recorder recorder;
    void SetUp() override {
        window.resize(200, 120);
        button = new CQelButton(&window);
        button->Create(&window, QRect(10, 10, 60, 24), 3001);
        button->SetDelegate(&recorder);
        button->SetPropString(u"font", u"DejaVu Sans,-12,400,0,0,0,0");
        button->SetPropColor(u"fgcolor", kBlue);
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
    void Press(QPoint p = QPoint(5, 5)) { QTest::mousePress(button, Qt::LeftButton, {}, p); }
    void Release(QPoint p = QPoint(5, 5)) { QTest::mouseRelease(button, Qt::LeftButton, {}, p); }
    void ExpectLook(const char* state, QelColorRef frame, QelColorRef fill) {
        SCOPED_TRACE(state);
        const QImage img = Grab(*button);
        EXPECT_EQ(PixelAt(img, 0, 0), frame);
        EXPECT_EQ(PixelAt(img, 59, 23), frame);
        EXPECT_EQ(PixelAt(img, 3, 3), fill);
    }
};

}  // namespace

TEST_F(ButtonFixture, ClickGivesDownUpClickInOrderAndLeavingReturnsToNormal) {
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    Move(QPoint(5, 5));
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
    Leave();
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    Press();
    EXPECT_EQ(button->GetState(), CQelButton::StatePressed);
    EXPECT_EQ(recorder.calls, (Calls{"down:3001"}));
    Release(QPoint(6, 5));
    EXPECT_EQ(recorder.calls, (Calls{"down:3001", "up:3001", "click:3001"}));
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);  // until the next move
    Move(QPoint(7, 5));
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
    Press();
    Leave();
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);

    // Without a delegate a click calls nothing and breaks nothing.
    button->SetDelegate(nullptr);
    recorder.calls.clear();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ButtonFixture, ReleaseElsewhereIsNoClick) {
    Press();
    Move(QPoint(100, 5), Qt::LeftButton);  // off the button while held
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    Release(QPoint(100, 5));
    EXPECT_EQ(recorder.calls, (Calls{"down:3001"}));

    // Released outside without a move in between: still no click.
    recorder.calls.clear();
    Press();
    Release(QPoint(-3, 5));
    EXPECT_EQ(recorder.calls, (Calls{"down:3001"}));

    // Back over the button while held: hover, and the release there clicks nothing either.
    recorder.calls.clear();
    Press();
    Leave();
    Move(QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(button->GetState(), CQelButton::StateHover);
    Release();
    EXPECT_EQ(recorder.calls, (Calls{"down:3001"}));
}

TEST_F(ButtonFixture, EachStatePaintsItsFillAndFrameAndDisabledIgnoresTheMouse) {
    ExpectLook("normal", kNormalFrame, kNormalFill);
    Move(QPoint(5, 5));
    ExpectLook("hover", kHover, kHover);
    Press();
    ExpectLook("pressed", kPressFrame, kNormalFill);
    Release();

    recorder.calls.clear();
    button->SetPropString(u"caption", Blocks(2));
    button->SetPropColor(u"clrdisableback", QelRGB(7, 8, 9));
    button->SetPropBool(u"enable", false);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->GetState(), CQelButton::StateDisabled);
    Press();
    Move(QPoint(6, 6));
    Release(QPoint(6, 6));
    Leave();
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(button->GetState(), CQelButton::StateDisabled);
    ExpectLook("disabled", QelSysColor(QelColorInactiveBorder), QelRGB(7, 8, 9));
    const QImage disabled = Grab(*button);
    EXPECT_EQ(CountColor(disabled, kBlue), 0);
    EXPECT_GT(CountColor(disabled, QelSysColor(QelColorInactiveCaption)), 0);
    button->SetPropBool(u"enable", true);
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);

    // Without a frame the whole rectangle is the state's fill.
    button->SetPropString(u"caption", u"");
    button->SetPropString(u"border", u"false,0,0,1,#CCCEDB");
    button->SetPropColor(u"bgcolor", QelRGB(1, 2, 3));
    ExpectLook("no frame", QelRGB(1, 2, 3), QelRGB(1, 2, 3));
}

TEST_F(ButtonFixture, CaptionIsCentredAndVerticalTextRunsDownUnlessMultiLine) {
    button->SetPropString(u"caption", Blocks(2));
    QRect box = ColorBox(Grab(*button), kBlue);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_NEAR(box.center().x(), 30, 2);
    EXPECT_NEAR(box.center().y(), 12, 3);

    button->resize(24, 100);
    button->SetPropString(u"caption", Blocks(4));
    button->SetPropBool(u"verttext", true);
    box = ColorBox(Grab(*button), kBlue);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.height(), 2 * box.width());
    EXPECT_NEAR(box.center().y(), 50, 3);

    button->SetPropBool(u"singleline", false);
    button->resize(100, 30);
    box = ColorBox(Grab(*button), kBlue);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.width(), box.height());
}
