// The player's passes, schedule, stop handling and release of held buttons.
#include "script/player.h"

#include "script/text_to_int.h"

namespace {

// Buttons pressed by playback and not yet released.
struct HeldButtons {
    bool left = false;
    bool right = false;

    void note(MouseState state) {
        if (state == MouseState::left_down || state == MouseState::left_up) left = is_press(state);
        if (state == MouseState::right_down || state == MouseState::right_up) right = is_press(state);
    }
    void release(PlaybackPort& port) {
        if (left) port.button(MouseState::left_up);
        if (right) port.button(MouseState::right_up);
        *this = {};
    }
};

PlayEnd end_of(DelayResult result) {
    return result == DelayResult::quit ? PlayEnd::quit : PlayEnd::stopped;
}

}  // namespace

PlayEnd Player::play(ScriptSource& table, PlaybackPort& port) {
    if (playing_) return PlayEnd::busy;
    playing_ = true;
    stop_ = false;
    HeldButtons held;
    PlayEnd end = PlayEnd::finished;
    std::int64_t due = port.now_us();
    for (bool first = true; end == PlayEnd::finished; first = false) {
        const bool loop = port.begin_pass();
        // An empty table ends a looping playback at once instead of spinning through empty passes.
        if ((!first && !loop) || table.row_count() == 0) break;
        // The row count is read before every row: a clear during a wait must never lead to a missing row.
        for (int row = 0; row < table.row_count(); ++row) {
            if (stop_) {
                end = PlayEnd::stopped;
                break;
            }
            const std::int32_t x = text_to_int(table.cell(row, column::x));
            const std::int32_t y = text_to_int(table.cell(row, column::y));
            const std::optional<MouseState> state = parse_mouse_state(table.cell(row, column::state));
            const std::int32_t delay = text_to_int(table.cell(row, column::delay));
            if (delay > 0) due += std::int64_t{delay} * 1000;
            const DelayResult waited = port.wait_until(due, stop_);
            if (waited != DelayResult::elapsed) {
                end = end_of(waited);
                break;
            }
            if (!state) continue;
            port.move(x, y);
            port.button(*state);
            held.note(*state);
        }
        // Released in the pass's own mode, since the next pass may use another one.
        held.release(port);
        if (end == PlayEnd::finished && stop_) end = PlayEnd::stopped;
    }
    playing_ = false;
    stop_ = false;
    return end;
}
