// The waitable-timer wait with message dispatching and a final spin on the performance counter.
#include "script/precise_delay_win.h"

#include <mmsystem.h>

#include "app/main_window_win.h"

namespace {

// MinGW's headers lack it; Windows 10 1803 and later know it, older systems refuse the call.
constexpr DWORD create_waitable_timer_high_resolution = 0x00000002;

// The timer wakes this long before the due time and the rest is spun out: timer wake-ups are late
// by up to a millisecond or so, the counter is exact.
constexpr std::int64_t spin_us = 2000;

std::int64_t read_counter_frequency() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value.QuadPart;
}

// Fixed at boot; read once, before any wait.
const std::int64_t counter_frequency = read_counter_frequency();

bool stopped(const bool* stop) {
    return stop && *stop;
}

// Dispatches waiting messages; true when the quit message came, which is put back for the loop.
bool dispatch_waiting(const bool* stop) {
    MSG message;
    while (!stopped(stop) && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return true;
        }
        dispatch_message(message);
    }
    return false;
}

}  // namespace

std::int64_t now_us() {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    const std::int64_t frequency = counter_frequency;
    return value.QuadPart / frequency * 1000000 + value.QuadPart % frequency * 1000000 / frequency;
}

DelayTimer::DelayTimer() {
    timer_.reset(
        CreateWaitableTimerExA(nullptr, nullptr, create_waitable_timer_high_resolution, TIMER_ALL_ACCESS));
    high_resolution_ = static_cast<bool>(timer_);
    if (!timer_) {
        timer_.reset(CreateWaitableTimerA(nullptr, FALSE, nullptr));
        raised_resolution_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
}

DelayTimer::~DelayTimer() {
    if (raised_resolution_) timeEndPeriod(1);
}

DelayResult DelayTimer::wait_until(std::int64_t due_us, const bool* stop) {
    for (;;) {
        if (dispatch_waiting(stop)) return DelayResult::quit;
        if (stopped(stop)) return DelayResult::stopped;
        const std::int64_t remaining = due_us - now_us();
        if (remaining <= spin_us) break;
        const std::int64_t sleep_us = remaining - spin_us;
        LARGE_INTEGER due;
        due.QuadPart = -sleep_us * 10;
        const bool armed = timer_ && SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE);
        // Without a timer the wait's own time-out, in whole milliseconds rounded down, stands in for it.
        const DWORD timeout = static_cast<DWORD>(sleep_us / 1000) + (armed ? 1 : 0);
        HANDLE timer = timer_.get();
        MsgWaitForMultipleObjectsEx(armed ? 1 : 0, armed ? &timer : nullptr, timeout, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
    while (now_us() < due_us) {
        if (stopped(stop)) return DelayResult::stopped;
        // Serves only sent messages, the low-level hooks' calls among them, and leaves posted ones queued.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return DelayResult::elapsed;
}

DelayResult precise_delay(int milliseconds, const bool* stop) {
    DelayTimer timer;
    return timer.wait_until(now_us() + std::int64_t{milliseconds > 0 ? milliseconds : 0} * 1000, stop);
}
