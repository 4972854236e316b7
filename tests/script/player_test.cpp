// The player through a fake table and input port: order of actions, schedule, stops, held buttons,
// the loop box re-read, a clear during play, unknown states.
#include "script/player.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string left_down = "\xD7\xF3\xBC\xFC\xB0\xB4\xCF\xC2";   // 左键按下
const std::string left_up = "\xD7\xF3\xBC\xFC\xB5\xAF\xC6\xF0";     // 左键弹起
const std::string right_down = "\xD3\xD2\xBC\xFC\xB0\xB4\xCF\xC2";  // 右键按下
const std::string right_up = "\xD3\xD2\xBC\xFC\xB5\xAF\xC6\xF0";    // 右键弹起

using Row = std::vector<std::string>;

class FakeTable final : public ScriptSource {
   public:
    std::vector<Row> rows;
    std::vector<std::pair<int, int>> reads;  // every cell read, for "no missing row is read"

    int row_count() override { return static_cast<int>(rows.size()); }
    CellText cell(int row, int column) override {
        reads.emplace_back(row, column);
        if (row < 0 || row >= row_count()) {
            ADD_FAILURE() << "read of missing row " << row;
            return {};
        }
        return CellText(rows[row][column]);
    }
};

Row row(const char* x, const char* y, const std::string& state, const char* delay) {
    return {"", x, y, state, delay};
}

// Records what the player does as text, runs a callback inside the n-th wait, and keeps a fake clock
// that each action advances a little, as real input does.
class FakePort final : public PlaybackPort {
   public:
    std::vector<std::string> log;
    std::vector<bool> loop_answers;  // one per pass start; the last one repeats
    std::function<DelayResult(int wait_index, const bool& stop)> during_wait;
    std::int64_t clock = 1'000'000;
    std::int64_t action_cost_us = 300;
    std::vector<std::int64_t> dues;
    int passes = 0;

    bool begin_pass() override {
        log.push_back("pass");
        const std::size_t at = static_cast<std::size_t>(passes++);
        if (loop_answers.empty()) return false;
        return loop_answers[at < loop_answers.size() ? at : loop_answers.size() - 1];
    }
    void move(std::int32_t x, std::int32_t y) override {
        log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        clock += action_cost_us;
    }
    void button(MouseState state) override {
        static const char* const names[] = {"left_down", "left_up", "right_down", "right_up"};
        log.push_back(names[static_cast<int>(state)]);
        clock += action_cost_us;
    }
    std::int64_t now_us() override { return clock; }
    DelayResult wait_until(std::int64_t due_us, const bool& stop) override {
        const int index = static_cast<int>(dues.size());
        dues.push_back(due_us);
        log.push_back("wait");
        if (during_wait) {
            const DelayResult result = during_wait(index, stop);
            if (result != DelayResult::elapsed) return result;
        }
        if (stop) return DelayResult::stopped;
        if (clock < due_us) clock = due_us;
        return DelayResult::elapsed;
    }
};

using Log = std::vector<std::string>;

TEST(Player, EachRowWaitsThenMovesThenActs) {
    FakeTable table;
    table.rows = {row("10", "20", left_down, "5"), row("30", "40", left_up, "0"),
                  row("-7", "8", right_down, "1"), row("-7", "8", right_up, "2")};
    FakePort port;
    Player player;
    EXPECT_EQ(player.play(table, port), PlayEnd::finished);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "move 10,20", "left_down", "wait", "move 30,40", "left_up",
                             "wait", "move -7,8", "right_down", "wait", "move -7,8", "right_up", "pass"}));
    EXPECT_FALSE(player.playing());
}

TEST(Player, EmptyTablePlaysNothingEvenWhenLooping) {
    for (bool loop : {false, true}) {
        FakeTable table;
        FakePort port;
        port.loop_answers = {loop};
        EXPECT_EQ(Player().play(table, port), PlayEnd::finished);
        EXPECT_EQ(port.log, Log{"pass"});
    }
}

// The dues run from the start plus the delays so far, whatever each row's actions cost, across loops.
TEST(Player, WaitsFollowTheScheduleWithoutPilingUpTime) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "5"), row("1", "1", left_up, "10"), row("1", "1", left_down, "0")};
    FakePort port;
    port.action_cost_us = 4000;
    port.loop_answers = {true, true, false};
    const std::int64_t start = port.clock;
    EXPECT_EQ(Player().play(table, port), PlayEnd::finished);
    const std::vector<std::int64_t> expected = {start + 5000,  start + 15000, start + 15000,
                                                start + 20000, start + 30000, start + 30000};
    EXPECT_EQ(port.dues, expected);
}

// Delays that are negative, empty or junk give no pause, and a full-width delay counts.
TEST(Player, DelayCellsWithoutANumberGiveNoPause) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "-50"), row("1", "1", left_up, ""),
                  row("1", "1", left_down, "abc"), row("1", "1", left_up, "\xA3\xB3")};
    FakePort port;
    const std::int64_t start = port.clock;
    Player().play(table, port);
    EXPECT_EQ(port.dues, (std::vector<std::int64_t>{start, start, start, start + 3000}));
}

TEST(Player, UnknownStateOnlyWaits) {
    FakeTable table;
    table.rows = {row("1", "2", "\xD6\xD0\xBC\xFC", "4"), row("1", "2", left_down + " ", "0"),
                  row("3", "4", right_down, "0"), row("3", "4", right_up, "0")};
    FakePort port;
    Player().play(table, port);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "wait", "wait", "move 3,4", "right_down", "wait", "move 3,4",
                             "right_up", "pass"}));
}

// A stop inside any wait ends at once, and a button left down is released: no button stays held.
TEST(Player, StopInsideAWaitEndsAtOnceAndReleasesHeldButtons) {
    const struct {
        int stop_in_wait;
        Log tail;
    } cases[] = {
        {0, {"wait"}},
        {1, {"wait", "left_up"}},
        {2, {"wait", "left_up", "right_up"}},
        {3, {"wait", "right_up"}},
    };
    for (const auto& c : cases) {
        FakeTable table;
        table.rows = {row("1", "1", left_down, "9"), row("2", "2", right_down, "9"),
                      row("3", "3", left_up, "9"), row("4", "4", right_up, "9")};
        FakePort port;
        port.loop_answers = {true};
        Player player;
        port.during_wait = [&](int index, const bool& stop) {
            if (index == c.stop_in_wait) {
                player.request_stop();
                EXPECT_TRUE(stop) << "the wait must see the stop while it runs";
            }
            return DelayResult::elapsed;
        };
        EXPECT_EQ(player.play(table, port), PlayEnd::stopped);
        const Log tail(port.log.end() - static_cast<long>(c.tail.size()), port.log.end());
        EXPECT_EQ(tail, c.tail) << c.stop_in_wait;
        EXPECT_EQ(port.dues.size(), static_cast<std::size_t>(c.stop_in_wait + 1));
        EXPECT_FALSE(player.playing());
    }
}

TEST(Player, QuitDuringAWaitEndsPlaybackAndReleasesHeldButtons) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "0"), row("1", "1", left_up, "100")};
    FakePort port;
    port.during_wait = [](int index, const bool&) {
        return index == 1 ? DelayResult::quit : DelayResult::elapsed;
    };
    EXPECT_EQ(Player().play(table, port), PlayEnd::quit);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "move 1,1", "left_down", "wait", "left_up"}));
}

// A script that ends on a press (a recording stopped mid-drag) lets go at the end of each pass.
TEST(Player, PressLeftAtTheEndOfAPassIsReleased) {
    FakeTable table;
    table.rows = {row("5", "6", left_down, "0")};
    FakePort port;
    port.loop_answers = {true, true, false};
    Player().play(table, port);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "move 5,6", "left_down", "left_up", "pass", "wait", "move 5,6",
                             "left_down", "left_up", "pass"}));
}

// The loop box is read at each pass's start: unchecking it lets the current pass finish, then ends.
TEST(Player, LoopBoxIsReadBeforeEachPass) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "0"), row("1", "1", left_up, "0")};
    FakePort port;
    port.loop_answers = {true, true, true, false};
    EXPECT_EQ(Player().play(table, port), PlayEnd::finished);
    EXPECT_EQ(port.passes, 4);
    EXPECT_EQ(port.dues.size(), 6u);
}

// Clearing ends playback through the stop, and the rows gone are never read.
TEST(Player, ClearDuringPlayEndsItWithoutReadingMissingRows) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "5"), row("2", "2", left_up, "5"), row("3", "3", left_down, "5")};
    FakePort port;
    port.loop_answers = {true};
    Player player;
    port.during_wait = [&](int index, const bool&) {
        if (index == 1) {
            table.rows.clear();
            player.request_stop();
        }
        return DelayResult::elapsed;
    };
    EXPECT_EQ(player.play(table, port), PlayEnd::stopped);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "move 1,1", "left_down", "wait", "left_up"}));
    for (const auto& [r, c] : table.reads) EXPECT_LE(r, 1);
}

// Even without a stop, a table that shrinks under the player ends the pass instead of reading past it.
TEST(Player, TableShrinkingWithoutAStopEndsThePass) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "5"), row("2", "2", left_up, "5")};
    FakePort port;
    port.during_wait = [&](int, const bool&) {
        table.rows.clear();
        return DelayResult::elapsed;
    };
    EXPECT_EQ(Player().play(table, port), PlayEnd::finished);
    EXPECT_EQ(port.log, (Log{"pass", "wait", "move 1,1", "left_down", "left_up", "pass"}));
}

// A play request dispatched inside a wait plays nothing; after the end, playing works again.
TEST(Player, NoPlaybackStartsInsideAnother) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "5"), row("1", "1", left_up, "5")};
    FakePort port;
    Player player;
    std::vector<PlayEnd> nested;
    port.during_wait = [&](int, const bool&) {
        FakePort inner;
        nested.push_back(player.play(table, inner));
        EXPECT_TRUE(inner.log.empty());
        return DelayResult::elapsed;
    };
    EXPECT_EQ(player.play(table, port), PlayEnd::finished);
    EXPECT_EQ(nested, (std::vector<PlayEnd>{PlayEnd::busy, PlayEnd::busy}));
    port.during_wait = nullptr;
    port.log.clear();
    EXPECT_EQ(player.play(table, port), PlayEnd::finished);
    EXPECT_EQ(port.log.size(), 8u);
}

// A stop asked for while idle does not cancel the next playback.
TEST(Player, StopWhileIdleIsForgotten) {
    FakeTable table;
    table.rows = {row("1", "1", left_down, "0")};
    FakePort port;
    Player player;
    player.request_stop();
    EXPECT_EQ(player.play(table, port), PlayEnd::finished);
}

}  // namespace
