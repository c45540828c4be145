// What processEvents queues for the audio loop, and controller learning on the effect's side.
#include "tests/unit/event_list.h"
#include "tests/unit/reference_filter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Records what the effect tells its editor; a learned controller as (kLearned, its number).
class RecordingEditor : public EffectEditor, public EditorNotices {
public:
    static constexpr int32_t kLearned = -1;
    using EffectEditor::EffectEditor;
    void parameterChanged(int32_t index, float value) override { calls.emplace_back(index, value); }
    void controllerLearned(int32_t number) override {
        calls.emplace_back(kLearned, static_cast<float>(number));
    }
    std::vector<std::pair<int32_t, float>> calls;
};

class MidiTest : public ::testing::Test {
protected:
    std::vector<ControlEvent> deliver(EventList& events) {
        EXPECT_EQ(fx.processEvents(events.get()), 1);
        return ReferenceFilter::queue(fx);
    }
    int32_t rowForNote(int note) {
        EventList events;
        events.noteOn(0, note, 100);
        const auto queue = deliver(events);
        return queue.empty() ? -1 : queue[0].cutoffRow;
    }

    FilterEffect fx{quietHost};
};

TEST_F(MidiTest, NotesMoveTheCutoffByKeyOnEveryChannel) {
    EXPECT_EQ(rowForNote(69), 1920);
    EXPECT_EQ(rowForNote(30), 0);
    EXPECT_EQ(rowForNote(105), 4799);
    EXPECT_EQ(rowForNote(110), 4799);
    EventList events;
    events.noteOn(3, 46, 1, 15);
    events.noteOn(4, 60, 0);                // velocity 0: a release
    events.midi(5, 0x80, 80, 64);           // note-off
    events.otherType(6, 7, 0x90, 100, 100); // not a MIDI event
    const auto queue = deliver(events);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue[0].sampleOffset, 3);
    EXPECT_EQ(queue[0].cutoffRow, 80);
    EXPECT_EQ(queue[0].resonance, 13) << "running values start from the targets";
    EXPECT_EQ(queue[0].stepInterval, 5);
}

TEST_F(MidiTest, AssignedControllersMapTheirValues) {
    fx.setParameter(kCcRezo, 20.0f / 128.0f);
    EventList events;
    events.controlChange(0, 71, 127);
    events.controlChange(1, 71, 64, 9);
    events.controlChange(2, 5, 127);
    events.controlChange(3, 20, 0);
    events.controlChange(4, 20, 127);
    events.controlChange(5, 21, 127); // unassigned
    const auto queue = deliver(events);
    ASSERT_EQ(queue.size(), 5u);
    EXPECT_EQ(queue[0].cutoffRow, 4799);
    EXPECT_EQ(queue[1].cutoffRow, 2418);
    EXPECT_EQ(queue[2].stepInterval, 177);
    EXPECT_EQ(queue[3].resonance, 1);
    EXPECT_EQ(queue[4].resonance, 127);
    EXPECT_EQ(queue[4].cutoffRow, 2418) << "every entry carries the earlier changes";
    EXPECT_EQ(queue[4].stepInterval, 177);
}

TEST_F(MidiTest, ResonanceControllerIsOffByDefault) {
    for (int controller = 0; controller < 128; ++controller) {
        EventList events;
        events.controlChange(0, controller, 0);
        for (const ControlEvent& entry : deliver(events)) {
            EXPECT_EQ(entry.resonance, 13) << controller;
        }
    }
}

TEST_F(MidiTest, EmptyNullAndNegativeListsLeaveAnEmptyQueue) {
    EventList events;
    EXPECT_TRUE(deliver(events).empty());
    EXPECT_EQ(fx.processEvents(nullptr), 1);
    EXPECT_TRUE(ReferenceFilter::queue(fx).empty());
    events.controlChange(0, 71, 1);
    events.nullEntry();
    events.controlChange(0, 71, 2);
    VstEvents* list = events.get();
    list->numEvents = -5;
    EXPECT_EQ(fx.processEvents(list), 1);
    EXPECT_TRUE(ReferenceFilter::queue(fx).empty());
    list->numEvents = 3;
    EXPECT_EQ(fx.processEvents(list), 1);
    EXPECT_EQ(ReferenceFilter::queue(fx).size(), 2u);
}

TEST_F(MidiTest, ReadingStopsAtListPosition1022) {
    EventList events;
    for (int i = 0; i < 1500; ++i) {
        events.controlChange(i, 71, i < 1022 ? 0 : 127);
    }
    const auto queue = deliver(events);
    ASSERT_EQ(queue.size(), 1022u);
    EXPECT_EQ(queue.back().sampleOffset, 1021);
    EXPECT_EQ(queue.back().cutoffRow, 0);
}

TEST_F(MidiTest, EntriesBeyondTheQueueAreDropped) {
    fx.setParameter(kCcRezo, 71.0f / 128.0f);
    fx.setParameter(kCcSmooth, 71.0f / 128.0f);
    EventList events;
    for (int i = 0; i < 1000; ++i) {
        events.controlChange(i, 71, i < 341 ? 0 : 127);
    }
    const auto queue = deliver(events);
    ASSERT_EQ(queue.size(), 1023u);
    EXPECT_EQ(queue.back().sampleOffset, 340);
    EXPECT_EQ(queue.back().cutoffRow, 0);
}

namespace {

RecordingEditor* recordInsteadOfTheEditor(FilterEffect& fx) {
    auto* editor = new RecordingEditor(&fx);
    ReferenceFilter::replaceEditor(fx, editor, editor);
    return editor;
}

} // namespace

TEST(Learning, ArmedLearningTakesTheNextControllerButNotAllNotesOff) {
    FilterEffect fx{quietHost};
    RecordingEditor* editor = recordInsteadOfTheEditor(fx);
    EXPECT_NE(fx.getLearnedController(), -1) << "a fresh instance is not learning";
    fx.armLearning();
    EventList events;
    events.controlChange(0, 123, 0);
    events.controlChange(1, 10, 5);
    events.controlChange(2, 11, 5);
    fx.processEvents(events.get());
    EXPECT_EQ(fx.getLearnedController(), 10);
    ASSERT_EQ(editor->calls.size(), 1u);
    EXPECT_EQ(editor->calls[0], std::make_pair(RecordingEditor::kLearned, 10.0f));
}

TEST(Learning, StrayNegativeControllerByteIsNotLearned) {
    FilterEffect fx{quietHost};
    fx.armLearning();
    EventList events;
    events.controlChange(0, 0xFF, 0);
    events.controlChange(0, 7, 0);
    fx.processEvents(events.get());
    EXPECT_EQ(fx.getLearnedController(), 7);
}

TEST(Learning, ProgramChangeTellsTheEditorEveryValueThenControllerZeroLearned) {
    FilterEffect fx{quietHost};
    RecordingEditor* editor = recordInsteadOfTheEditor(fx);
    fx.setProgram(3);
    std::vector<int32_t> indices;
    for (const auto& call : editor->calls) {
        indices.push_back(call.first);
    }
    EXPECT_EQ(indices, (std::vector<int32_t>{4, 6, 5, 7, 2, 1, 3, 0, RecordingEditor::kLearned}));
    EXPECT_EQ(editor->calls.back().second, 0.0f);
    EXPECT_TRUE(ReferenceFilter::historyIsZero(fx, 0) && ReferenceFilter::historyIsZero(fx, 1));
}

} // namespace
