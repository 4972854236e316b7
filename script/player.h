// Playback: the rows read back in order and acted out through an input port, on a fixed schedule.
#pragma once

#include <cstdint>

#include "script/cell_text.h"
#include "script/script_row.h"

// Why a wait returned: its time came, playback was stopped, or the quit message is queued.
enum class DelayResult { elapsed, stopped, quit };

// The script as playback reads it: rows of text cells.
class ScriptSource {
   public:
    virtual int row_count() = 0;
    virtual CellText cell(int row, int column) = 0;

   protected:
    ~ScriptSource() = default;
};

// What playback drives: the input of one simulation mode and the clock it waits on.
class PlaybackPort {
   public:
    // Starts a pass: picks the input mode for it and says whether the loop box is checked.
    virtual bool begin_pass() = 0;
    virtual void move(std::int32_t x, std::int32_t y) = 0;
    virtual void button(MouseState state) = 0;
    virtual std::int64_t now_us() = 0;
    // Returns once the clock reaches due_us, or early when stop becomes true or the quit message comes.
    virtual DelayResult wait_until(std::int64_t due_us, const bool& stop) = 0;

   protected:
    ~PlaybackPort() = default;
};

enum class PlayEnd { finished, stopped, quit, busy };

class Player {
   public:
    // Plays the first pass, then one more each time the loop box is checked at a pass's start. Each
    // row waits its delay, then moves and acts; a row naming no state only waits. The waits run to
    // the playback's start plus the delays so far, so time spent per row does not pile up. Returns
    // busy, playing nothing, when called from inside a playback.
    PlayEnd play(ScriptSource& table, PlaybackPort& port);

    bool playing() const { return playing_; }

    // Ends a running playback at once, even inside a wait; buttons it holds are released.
    void request_stop() {
        if (playing_) stop_ = true;
    }

   private:
    bool playing_ = false;
    bool stop_ = false;
};
