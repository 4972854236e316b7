// The three simulation modes: how playback's moves and button actions reach other programs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "script/script_row.h"

class InputPort {
   public:
    virtual void move(std::int32_t x, std::int32_t y) = 0;
    virtual void button(MouseState state) = 0;

   protected:
    ~InputPort() = default;
};

// 普通模拟: the real cursor moves and the button acts through mouse_event.
class CursorInput final : public InputPort {
   public:
    void move(std::int32_t x, std::int32_t y) override;
    void button(MouseState state) override;
};

// 后台模拟: button messages posted to the window under the point, in its client coordinates; the
// real cursor stays where it is. A press captures its window, as the system would, so that the
// release and the moves between reach the window the press went to.
class PostedInput final : public InputPort {
   public:
    void move(std::int32_t x, std::int32_t y) override;
    void button(MouseState state) override;

   private:
    void post(HWND window, UINT message);
    POINT point_{};
    HWND capture_ = nullptr;
    WPARAM held_ = 0;
};

// 驱动模拟: SendInput with absolute coordinates over the whole virtual desktop.
class SentInput final : public InputPort {
   public:
    void move(std::int32_t x, std::int32_t y) override;
    void button(MouseState state) override;
};
