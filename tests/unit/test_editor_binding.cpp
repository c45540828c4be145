// The editor bound to the effect in both directions, on the headless platform: knobs, fields and
// switches driving parameters (and the host only where it must hear), parameter changes and
// program changes moving the controls, and both halves of MIDI learn.
#include "editor_fixture.h"
#include "tests/unit/learn_orders.h"
#include "tests/unit/reference_filter.h"

#include <sstream>
#include <string>

namespace {

class EditorBinding : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        openAndPaint();
        requests.clear();
    }
};

constexpr float kStep = 0.0078125f;

TEST_F(EditorBinding, TurningAKnobAutomatesItsParameterAndMovesItsReadout) {
    // Centre (24, 63): the press straight above is 0.5, the value already shown, so only the
    // move to the right reports.
    press({24, 47}, ButtonLeft, {{{41, 63}, ButtonLeft}, {{41, 63}, 0}});
    const float turned = 0.8333333f;
    EXPECT_FLOAT_EQ(effect->getParameter(kFrequency), turned);
    const std::vector<HostRequest> automated = automation();
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, kFrequency);
    EXPECT_FLOAT_EQ(automated[0].opt, turned);
    EXPECT_FLOAT_EQ(display(kFrequency)->getValue(), turned) << "shown at once";
    editor->idle();
    expectShows(screen(), display(kFrequency)->getSize(), "105", 4);
    dumpIfFailed(screen());
}

TEST_F(EditorBinding, TheWheelStepsTheKnobUnderThePointerAsADragWould) {
    // The frequency knob (centre 24, 60) shows its default 0.5 as 63.
    const struct {
        Point where;
        int32_t notches;
        const char* shown;
    } cases[] = {
        {{24, 60}, 1, "64"}, {{24, 60}, -2, "62"}, {{24, 83}, 1, "62"}, {{150, 20}, 1, "62"}};
    for (const auto& c : cases) {
        requests.clear();
        window()->queueWheel(c.where, c.notches);
        editor->idle();
        const std::vector<HostRequest> automated = automation();
        if (c.where == Point{24, 60}) {
            ASSERT_EQ(automated.size(), 1u) << c.shown;
            EXPECT_EQ(automated[0].index, kFrequency);
            EXPECT_FLOAT_EQ(automated[0].opt, effect->getParameter(kFrequency));
        } else {
            EXPECT_TRUE(automated.empty()) << "over the read-out or the background: nothing";
        }
        EXPECT_EQ(knob(kFrequency)->getValue(), effect->getParameter(kFrequency));
        editor->idle();
        expectShows(screen(), display(kFrequency)->getSize(), c.shown, 4);
    }
    dumpIfFailed(screen());
}

TEST_F(EditorBinding, AltClickRestoresTheKnobsDefault) {
    effect->setParameter(kGain, 0.9f);
    editor->idle();
    press({201, 60}, ButtonLeft | ModAlt);
    EXPECT_EQ(effect->getParameter(kGain), 0.5f);
    ASSERT_FALSE(automation().empty());
    EXPECT_EQ(automation().back().index, kGain);
    editor->idle();
    expectShows(screen(), display(kGain)->getSize(), "-12.00", 5);
}

TEST_F(EditorBinding, TypedControllerNumbersBecomeTheirCanonicalText) {
    struct Case {
        const char* typed;
        float value;
        const char* shown;
    };
    const Case cases[] = {
        {"64", 0.5f, "64"},          {"200", 1.0f, "OFF"},    {"128", 1.0f, "OFF"},
        {"abc", 1.0f, "OFF"},        {"", 1.0f, "OFF"},       {"-5", 1.0f, "OFF"},
        {"12abc", 12 * kStep, "12"}, {"007", 7 * kStep, "7"},
    };
    for (const Case& c : cases) {
        // Start each case from a number, so that every typed text is a change.
        effect->setParameter(kCcCutoff, 0.25f);
        editor->idle();
        type(kCcCutoff, c.typed);
        EXPECT_EQ(effect->getParameter(kCcCutoff), c.value) << c.typed;
        EXPECT_EQ(text(kCcCutoff), c.shown) << c.typed << ": the commit shows the canonical text";
        EXPECT_EQ(field(kCcCutoff)->getValue(), c.value) << c.typed;
    }
    EXPECT_TRUE(automation().empty()) << "controller numbers are not automation";
    editor->idle();
    expectShows(screen(), field(kCcCutoff)->getSize(), "7", 5);
}

TEST_F(EditorBinding, CommittingTheTextAlreadyShownChangesNothing) {
    click(field(kCcSmooth));
    ASSERT_NE(HeadlessEditBox::current(), nullptr);
    // A change behind the open box: a commit that reported would put "5" back.
    effect->setParameter(kCcSmooth, 0.25f);
    HeadlessEditBox::current()->pressReturn();
    EXPECT_EQ(effect->getParameter(kCcSmooth), 0.25f);
    editor->idle();
    EXPECT_EQ(text(kCcSmooth), "32");
}

TEST_F(EditorBinding, TheFilterTypeSwitchesActAsARadioPair) {
    click(toggle(kTagLowPass));
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 1.0f) << "the lit one stays lit";
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 0.0f);
    EXPECT_EQ(effect->getParameter(kFilterType), 0.0f);
    click(toggle(kTagHighPass));
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 0.0f);
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 1.0f);
    EXPECT_EQ(effect->getParameter(kFilterType), 1.0f);
    const std::vector<HostRequest> automated = automation();
    ASSERT_EQ(automated.size(), 2u) << "the host hears of both, the repeated low-pass too";
    EXPECT_EQ(automated[0].index, kFilterType);
    EXPECT_EQ(automated[0].opt, 0.0f);
    EXPECT_EQ(automated[1].opt, 1.0f);
}

TEST_F(EditorBinding, HostChangesReachTheControlsAtTheNextIdle) {
    effect->setParameter(kFrequency, 0.25f);
    effect->setParameter(kGain, 1.0f);
    effect->setParameter(kCcRezo, 0.5f);
    effect->setParameter(kFilterType, 0.5f);
    EXPECT_EQ(knob(kFrequency)->getValue(), 0.5f) << "the hook moves no control itself";
    editor->idle();
    EXPECT_EQ(knob(kFrequency)->getValue(), 0.25f);
    EXPECT_EQ(display(kFrequency)->getValue(), 0.25f);
    EXPECT_EQ(text(kCcRezo), "64");
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 1.0f);
    expectShows(screen(), display(kFrequency)->getSize(), "31", 4);
    expectShows(screen(), display(kGain)->getSize(), "0.00", 5);
    expectShows(screen(), field(kCcRezo)->getSize(), "64", 5);
}

TEST_F(EditorBinding, TheHookFollowsTheFilterTypeRuleAndReadsKnobValuesFromTheEffect) {
    editor->parameterChanged(kFilterType, 0.5f);
    editor->idle();
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 1.0f);
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 0.0f);
    editor->parameterChanged(kFilterType, 0.4999f);
    editor->idle();
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 0.0f);
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 1.0f);
    editor->parameterChanged(kResonance, 0.9f);
    editor->idle();
    EXPECT_EQ(knob(kResonance)->getValue(), 0.1f) << "the effect's value, not the argument";
}

TEST_F(EditorBinding, IgnoredHookCallsDoNotEvenAskForAnUpdate) {
    struct ProbeEditor : FilterEditor {
        using FilterEditor::FilterEditor;
        void update() override { ++updates; }
        int updates = 0;
    };
    auto probe = std::make_unique<ProbeEditor>(*effect);
    probe->parameterChanged(1, 0.3f);
    probe->controllerLearned(38);
    probe->idle();
    EXPECT_EQ(probe->updates, 0) << "closed";
    ASSERT_EQ(probe->open(nullptr), 1);
    probe->idle();
    const int afterOpen = probe->updates;
    for (int32_t index : {8, 9, 10, -1, 31, 32}) {
        probe->parameterChanged(index, 0.3f);
    }
    probe->idle();
    EXPECT_EQ(probe->updates, afterOpen);
    probe->parameterChanged(kCcRezo, 0.3f);
    probe->idle();
    EXPECT_EQ(probe->updates, afterOpen + 1);
}

class EditorLearn : public EditorBinding {
protected:
    // A fresh instance with its editor open, CC Rezo at `ccRezo` (a session opened).
    void startSession(float ccRezo) {
        effect = std::make_unique<FilterEffect>(recordingHost);
        editor = static_cast<FilterEditor*>(effect->getEditor());
        effect->setParameter(kCcRezo, ccRezo);
        openAndPaint();
    }
};

TEST_F(EditorLearn, TheNextControllerGoesToTheLitSwitchesParameter) {
    click(toggle(kTagLearnRezo));
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(effect->getLearnedController(), -1);
    sendController(20, 99);
    EXPECT_EQ(effect->getParameter(kCcRezo), 20 * kStep) << "assigned as the controller arrives";
    EXPECT_EQ(effect->getLearnedController(), 20);
    editor->idle();
    EXPECT_EQ(text(kCcRezo), "20");
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    sendController(21, 5);
    editor->idle();
    EXPECT_EQ(effect->getParameter(kCcRezo), 20 * kStep) << "learning ended with 20";
    EXPECT_EQ(text(kCcRezo), "20");
    EXPECT_TRUE(automation().empty());
    expectShows(screen(), field(kCcRezo)->getSize(), "20", 5);
}

TEST_F(EditorLearn, AllNotesOffNeitherCompletesNorDisarmsLearning) {
    click(toggle(kTagLearnCutoff));
    sendController(123, 0);
    editor->idle();
    EXPECT_EQ(effect->getLearnedController(), -1);
    EXPECT_EQ(learnSwitches(), (std::vector<float>{1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(text(kCcCutoff), "71");
    sendController(30, 0);
    editor->idle();
    EXPECT_EQ(text(kCcCutoff), "30");
}

TEST_F(EditorLearn, AProgramChangeGivesTheLitSwitchesParameterControllerZero) {
    click(toggle(kTagLearnSmooth));
    effect->setProgram(2);
    editor->idle();
    EXPECT_EQ(effect->getParameter(kCcSmooth), 0.0f);
    EXPECT_EQ(text(kCcSmooth), "0");
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(effect->getLearnedController(), -1) << "the program change leaves learning alone";
    effect->setProgram(0);
    EXPECT_EQ(effect->getParameter(kCcSmooth), 5 * kStep) << "program 0 kept its number";
}

TEST_F(EditorLearn, ALearnThenAProgramChangeBeforeAnIdleEndAsTheyWouldOneByOne) {
    click(toggle(kTagLearnRezo));
    sendController(20, 64);
    effect->setProgram(1);
    editor->idle();
    EXPECT_EQ(effect->getParameter(kCcRezo), 1.0f) << "program 1 keeps its own number";
    EXPECT_EQ(text(kCcRezo), "OFF");
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    effect->setProgram(0);
    EXPECT_EQ(effect->getParameter(kCcRezo), 20 * kStep) << "the learn went to program 0";
}

TEST_F(EditorLearn, AProgramChangeThenALearnBeforeAnIdleEndAsTheyWouldOneByOne) {
    click(toggle(kTagLearnRezo));
    effect->setProgram(1);
    sendController(20, 64);
    editor->idle();
    EXPECT_EQ(effect->getParameter(kCcRezo), 0.0f) << "the program change took the switch";
    EXPECT_EQ(text(kCcRezo), "0");
    EXPECT_EQ(effect->getLearnedController(), 20) << "learned, but assigned to nothing";
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
}

TEST_F(EditorLearn, ClickingTheLitSwitchDarkensItButLearningStaysArmed) {
    click(toggle(kTagLearnCutoff));
    click(toggle(kTagLearnSmooth));
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 1.0f})) << "one lit at a time";
    click(toggle(kTagLearnSmooth));
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(effect->getLearnedController(), -1);
    sendController(40, 1);
    editor->idle();
    EXPECT_EQ(effect->getLearnedController(), 40);
    EXPECT_EQ(text(kCcCutoff), "71");
    EXPECT_EQ(text(kCcRezo), "OFF");
    EXPECT_EQ(text(kCcSmooth), "5");
}

TEST_F(EditorLearn, ALearnedControllerWithNoSwitchLitChangesNoParameter) {
    editor->controllerLearned(64);
    editor->idle();
    EXPECT_EQ(effect->getParameter(kCcCutoff), 0.5546875f);
    EXPECT_EQ(effect->getParameter(kCcRezo), 1.0f);
    EXPECT_EQ(effect->getParameter(kCcSmooth), 5 * kStep);
}

TEST_F(EditorLearn, AClosedEditorLearnsNothingAndReopensDark) {
    click(toggle(kTagLearnCutoff));
    editor->close();
    sendController(22, 0);
    EXPECT_EQ(effect->getParameter(kCcCutoff), 0.5546875f);
    openAndPaint();
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(text(kCcCutoff), "71");
}

// Whatever the order, the effect plays the controller its parameter holds (what a session saves).
TEST_F(EditorLearn, EveryOrderEndsInTheParameterAndTheSoundFollowsIt) {
    for (const LearnOrder& order : kLearnOrders) {
        SCOPED_TRACE(order.steps);
        startSession(controllerValue(kControllerOff));
        bool open = true;
        std::istringstream steps(order.steps);
        for (std::string step; steps >> step;) {
            if ((step == "arm" || step == "off") && open) {
                click(toggle(kTagLearnRezo));
            } else if (step == "close") {
                editor->close();
                open = false;
            } else if (step == "open") {
                openAndPaint();
                open = true;
            } else if (step == "reactivate") {
                effect->resume();
            } else if (step == "save") {
                startSession(effect->getParameter(kCcRezo));
            } else if (step == "cc") {
                sendController(kLearnOrderController, 100);
                editor->idle();
            }
        }
        EXPECT_EQ(effect->getParameter(kCcRezo),
                  controllerValue(order.learned ? kLearnOrderController : kControllerOff));
        sendController(kLearnOrderController, 64);
        EXPECT_EQ(ReferenceFilter::queue(*effect).size(), order.learned ? 1u : 0u)
            << "the controller's resonance change";
    }
}

} // namespace
