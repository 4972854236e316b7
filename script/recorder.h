// Recording: turns the mouse hook's events into script rows while recording is on.
#pragma once

#include <cstdint>
#include <optional>

#include "script/script_row.h"

enum class MouseEventKind {
    move,
    left_down,
    left_up,
    right_down,
    right_up,
    middle_down,
    middle_up,
    wheel,
    other
};

// One low-level mouse event, as the hook saw it.
struct MouseEvent {
    MouseEventKind kind;
    std::int32_t x;
    std::int32_t y;
    std::uint32_t tick;  // millisecond tick count when the hook saw it
    bool injected;       // synthetic input, the tool's own playback among it
};

class Recorder {
   public:
    bool recording() const { return recording_; }

    // The first row's delay counts from the HOME that started the recording.
    void start(std::uint32_t tick);
    void stop() { recording_ = false; }

    // The row a button event makes; none for other events, injected ones, or with recording off.
    std::optional<ScriptRow> on_mouse(const MouseEvent& event);

   private:
    bool recording_ = false;
    std::uint32_t previous_ = 0;
};
