// The button: state machine, delegate order and state colours. (Its caption is the label's painter.)
#include <gtest/gtest.h>

#include <QTest>
#include <map>
#include <tuple>

#include "CQelButton.h"
#include "IQelButtonDelegate.h"
#include "QelPixels.h"
#include "QelPropGrammar.h"

namespace {

struct Recorder : IQelButtonDelegate {
    std::string calls;
    void OnButtonDown(unsigned id) override { calls += "down:" + std::to_string(id) + " "; }
    void OnButtonUp(unsigned id) override { calls += "up:" + std::to_string(id) + " "; }
    void OnButtonClick(unsigned id) override { calls += "click:" + std::to_string(id) + " "; }
};

enum Mouse { Move, MoveHeld, Press, Release, Leave };
const QelColorRef kBlue = QelRGB(0, 0, 255);

struct ButtonFixture : ::testing::Test {
    QWidget window;
    CQelButton* button = new CQelButton(&window);
    Recorder recorder;
    void SetUp() override {
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
        QEvent leave(QEvent::Leave);
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(button->mapToGlobal(p)), Qt::NoButton,
                         what == MoveHeld ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, what == Leave ? &leave : static_cast<QEvent*>(&move));
    }
    // The frame at two corners, the fill inside.
    std::string Look() {
        const QImage img = Grab(*button);
        const QelColorRef frame = PixelAt(img, 0, 0);
        return PixelAt(img, 59, 23) == frame ? Hex(frame) + " " + Hex(PixelAt(img, 3, 3)) : "no frame";
    }
    static std::string Hex(QelColorRef c) { return QelPropGrammar::FormatColor(c).ToStdString(); }
};

}  // namespace

// Each state with its frame and fill: 1 pixel of #CCCEDB around #F5F5F5,
// hover #C9DEF5 for both, pressed #007ACC around #F5F5F5.
TEST_F(ButtonFixture, StateMachineClicksOnlyOnAReleaseOverThePressedButtonAndEachStatePaintsItsColours) {
    const auto kNormal = CQelButton::StateNormal, kHover = CQelButton::StateHover, kPressed = CQelButton::StatePressed;
    const std::map<CQelButton::State, std::string> looks = {
        {kNormal, "#cccedb #f5f5f5"}, {kHover, "#c9def5 #c9def5"}, {kPressed, "#007acc #f5f5f5"}};
    const struct { Mouse what; QPoint at; CQelButton::State state; const char* calls; } steps[] = {
        {Move, {5, 5}, kHover, ""}, {Leave, {}, kNormal, ""}, {Press, {5, 5}, kPressed, "down:3001 "},
        {Release, {6, 5}, kNormal, "up:3001 click:3001 "},  // normal until the next move
        {Move, {7, 5}, kHover, ""}, {Press, {5, 5}, kPressed, "down:3001 "}, {Leave, {}, kNormal, ""},
        // A release elsewhere is no click: after moving off, without a move, or back over the button.
        {Press, {5, 5}, kPressed, "down:3001 "}, {MoveHeld, {100, 5}, kNormal, ""}, {Release, {100, 5}, kNormal, ""},
        {Press, {5, 5}, kPressed, "down:3001 "}, {Release, {-3, 5}, kNormal, ""},
        {Press, {5, 5}, kPressed, "down:3001 "}, {Leave, {}, kNormal, ""}, {MoveHeld, {5, 5}, kHover, ""},
        {Release, {5, 5}, kHover, ""},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        recorder.calls.clear(), Send(steps[i].what, steps[i].at);
        EXPECT_EQ(std::make_tuple(button->GetState(), recorder.calls, Look()),
                  std::make_tuple(steps[i].state, std::string(steps[i].calls), looks.at(steps[i].state))) << i;
    }
    // Without a delegate a click calls nothing and breaks nothing.
    button->SetDelegate(nullptr), QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ButtonFixture, DisabledIgnoresTheMouseInItsOwnColoursAndNoFrameFillsTheWholeButton) {
    button->SetPropString(u"caption", Blocks(2));
    button->SetPropColor(u"clrdisableback", QelRGB(7, 8, 9));
    button->SetPropBool(u"enable", false);
    for (const Mouse what : {Press, Move, Release, Leave}) Send(what);
    EXPECT_TRUE(recorder.calls.empty() && button->GetState() == CQelButton::StateDisabled);
    EXPECT_EQ(Look(), Hex(QelSysColor(QelColorInactiveBorder)) + " #070809");
    EXPECT_TRUE(CountColor(Grab(*button), kBlue) == 0 && CountColor(Grab(*button), QelSysColor(QelColorInactiveCaption)) > 0);
    button->SetPropBool(u"enable", true);
    EXPECT_EQ(button->GetState(), CQelButton::StateNormal);
    button->SetPropString(u"border", u"false,0,0,1,#CCCEDB"), button->SetPropColor(u"bgcolor", QelRGB(1, 2, 3));
    button->SetPropString(u"caption", u"");
    EXPECT_EQ(CountColor(Grab(*button), QelRGB(1, 2, 3)), 60 * 24);
}
