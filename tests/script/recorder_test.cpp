// Hook events to rows, and the delays between them.
#include "script/recorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using K = MouseEventKind;

MouseEvent at(K kind, std::uint32_t tick, bool injected = false) {
    return {kind, 10, -20, tick, injected};
}

TEST(Recorder, OnlyRealButtonEventsBecomeRowsWhileRecording) {
    const struct {
        MouseEvent event;
        std::optional<MouseState> state;
    } cases[] = {
        {at(K::left_down, 0), MouseState::left_down},
        {at(K::left_up, 0), MouseState::left_up},
        {at(K::right_down, 0), MouseState::right_down},
        {at(K::right_up, 0), MouseState::right_up},
        {at(K::move, 0), std::nullopt},
        {at(K::wheel, 0), std::nullopt},
        {at(K::middle_down, 0), std::nullopt},
        {at(K::middle_up, 0), std::nullopt},
        {at(K::other, 0), std::nullopt},
        {at(K::left_down, 0, true), std::nullopt},
        {at(K::right_up, 0, true), std::nullopt},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        recorder.start(0);
        const std::optional<ScriptRow> row = recorder.on_mouse(c.event);
        ASSERT_EQ(row.has_value(), c.state.has_value()) << static_cast<int>(c.event.kind);
        if (!row) continue;
        EXPECT_EQ(row->state, *c.state);
        EXPECT_EQ(row->x, 10);
        EXPECT_EQ(row->y, -20);
    }
}

TEST(Recorder, NothingIsRecordedWhenOff) {
    Recorder recorder;
    EXPECT_FALSE(recorder.on_mouse(at(K::left_down, 5)));
    recorder.start(0);
    recorder.stop();
    EXPECT_FALSE(recorder.on_mouse(at(K::left_down, 5)));
}

// The first delay counts from HOME; each later one from the previous row; ignored events move no base.
TEST(Recorder, DelaysRunFromHomeThenFromRowToRow) {
    Recorder recorder;
    recorder.start(1000);
    std::vector<std::int32_t> delays;
    for (const MouseEvent& event : {at(K::left_down, 1250), at(K::move, 1300), at(K::left_up, 1400),
                                    at(K::left_down, 1420, true), at(K::right_down, 1900)})
        if (auto row = recorder.on_mouse(event)) delays.push_back(row->delay);
    EXPECT_EQ(delays, (std::vector<std::int32_t>{250, 150, 500}));

    // A later recording starts its own count from its HOME and keeps appending.
    recorder.stop();
    recorder.start(5000);
    EXPECT_EQ(recorder.on_mouse(at(K::left_down, 5016))->delay, 16);
}

TEST(Recorder, DelaysSurviveTheTickCountWrapAndSaturate) {
    Recorder recorder;
    recorder.start(0xFFFFFFF0u);
    EXPECT_EQ(recorder.on_mouse(at(K::left_down, 0x10))->delay, 0x20);
    recorder.start(0);
    EXPECT_EQ(recorder.on_mouse(at(K::left_down, 0xF0000000u))->delay, 2147483647);
}

}  // namespace
