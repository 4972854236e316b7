// Waiting with sub-millisecond precision while the thread's messages, and so the hooks, stay live.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/unique.h"
#include "script/player.h"

struct TimerTraits {
    using Handle = HANDLE;
    static Handle none() { return nullptr; }
    static void close(Handle timer) { CloseHandle(timer); }
};

// The performance counter, in microseconds.
std::int64_t now_us();

// One waitable timer, high-resolution where the system has one; otherwise a plain timer with the
// system timer resolution raised to 1 ms for as long as this object lives.
class DelayTimer {
   public:
    DelayTimer();
    ~DelayTimer();
    DelayTimer(const DelayTimer&) = delete;
    DelayTimer& operator=(const DelayTimer&) = delete;

    bool high_resolution() const { return high_resolution_; }

    // Waits until now_us() reaches due_us, dispatching every waiting message but the quit message,
    // which stays queued. Returns early with quit when it is queued and with stopped when `stop`
    // (if given) becomes true.
    DelayResult wait_until(std::int64_t due_us, const bool* stop = nullptr);

   private:
    Unique<TimerTraits> timer_;
    bool high_resolution_ = false;
    bool raised_resolution_ = false;
};

// Returns after at least `milliseconds`, unless stopped or the quit message comes first.
DelayResult precise_delay(int milliseconds, const bool* stop = nullptr);
