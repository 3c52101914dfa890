// The button: state machine, delegate order, state colours and the vertical painter.
#include <gtest/gtest.h>

#include <QTest>

#include "CQelButton.h"
#include "CQelLabel.h"
#include "IQelButtonDelegate.h"
#include "QelPixels.h"

namespace {

struct Recorder : IQelButtonDelegate {
    std::string calls;
    void OnButtonDown(unsigned id) override { calls += "down:" + std::to_string(id) + " "; }
    void OnButtonUp(unsigned id) override { calls += "up:" + std::to_string(id) + " "; }
    void OnButtonClick(unsigned id) override { calls += "click:" + std::to_string(id) + " "; }
};

enum Mouse { Move, MoveHeld, Press, Release, Leave };

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
    // Mouse input as the window system delivers it: moves off the button reach it while a button is held.
    void Send(Mouse what, QPoint p = QPoint(5, 5)) {
        if (what == Press) return QTest::mousePress(button, Qt::LeftButton, {}, p);
        if (what == Release) return QTest::mouseRelease(button, Qt::LeftButton, {}, p);
        if (what == Leave) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
            return;
        }
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(button->mapToGlobal(p)), Qt::NoButton,
                         what == MoveHeld ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &move);
    }
    void ExpectLook(const char* state, QelColorRef frame, QelColorRef fill) {
        SCOPED_TRACE(state);
        const QImage img = Grab(*button);
        EXPECT_EQ(PixelAt(img, 0, 0), frame);
        EXPECT_EQ(PixelAt(img, 59, 23), frame);
        EXPECT_EQ(PixelAt(img, 3, 3), fill);
    }
};

}  // namespace

TEST_F(ButtonFixture, StateMachineClicksOnlyOnAReleaseOverThePressedButton) {
    const struct {
        Mouse what;
        QPoint at;
        CQelButton::State state;
        const char* calls;
    } steps[] = {
        {Move, {5, 5}, CQelButton::StateHover, ""},
        {Leave, {}, CQelButton::StateNormal, ""},
        {Press, {5, 5}, CQelButton::StatePressed, "down:3001 "},
        {Release, {6, 5}, CQelButton::StateNormal, "up:3001 click:3001 "},  // normal until the next move
        {Move, {7, 5}, CQelButton::StateHover, ""},
        {Press, {5, 5}, CQelButton::StatePressed, "down:3001 "},
        {Leave, {}, CQelButton::StateNormal, ""},
        // A release elsewhere is no click: after moving off, without a move, or back over the button.
        {Press, {5, 5}, CQelButton::StatePressed, "down:3001 "},
        {MoveHeld, {100, 5}, CQelButton::StateNormal, ""},
        {Release, {100, 5}, CQelButton::StateNormal, ""},
        {Press, {5, 5}, CQelButton::StatePressed, "down:3001 "},
        {Release, {-3, 5}, CQelButton::StateNormal, ""},
        {Press, {5, 5}, CQelButton::StatePressed, "down:3001 "},
        {Leave, {}, CQelButton::StateNormal, ""},
        {MoveHeld, {5, 5}, CQelButton::StateHover, ""},
        {Release, {5, 5}, CQelButton::StateHover, ""},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        recorder.calls.clear();
        Send(steps[i].what, steps[i].at);
        EXPECT_EQ(button->GetState(), steps[i].state);
        EXPECT_EQ(recorder.calls, steps[i].calls);
    }
    CQelLabel child;  // made without a parent, placed in the window
    child.Create(&window, QRect(80, 10, 40, 20), 7);
    EXPECT_EQ(child.parentWidget(), &window);
    // Without a delegate a click calls nothing and breaks nothing.
    button->SetDelegate(nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ButtonFixture, EachStatePaintsItsFillAndFrameAndDisabledIgnoresTheMouse) {
    ExpectLook("normal", kNormalFrame, kNormalFill);
    Send(Move);
    ExpectLook("hover", kHover, kHover);
    Send(Press);
    ExpectLook("pressed", kPressFrame, kNormalFill);
    Send(Release);

    recorder.calls.clear();
    button->SetPropString(u"caption", Blocks(2));
    button->SetPropColor(u"clrdisableback", QelRGB(7, 8, 9));
    button->SetPropBool(u"enable", false);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->GetState(), CQelButton::StateDisabled);
    for (const Mouse what : {Press, Move, Release, Leave}) Send(what);
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
    EXPECT_NEAR(box.center().x(), 30, 2);
    EXPECT_NEAR(box.center().y(), 12, 3);

    button->resize(24, 100);
    button->SetPropString(u"caption", Blocks(4));
    button->SetPropBool(u"verttext", true);
    box = ColorBox(Grab(*button), kBlue);
    EXPECT_GT(box.height(), 2 * box.width());
    EXPECT_NEAR(box.center().y(), 50, 3);

    button->SetPropBool(u"singleline", false);
    button->resize(100, 30);
    box = ColorBox(Grab(*button), kBlue);
    EXPECT_GT(box.width(), box.height());
}
