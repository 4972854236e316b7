// A window for the end-to-end run to click on: it logs every button message it receives, with
// the point in screen coordinates and the time, one line each on stdout.
//   click_target X Y WIDTH HEIGHT
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char* name_of(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
            return "left_down";
        case WM_LBUTTONUP:
            return "left_up";
        case WM_RBUTTONDOWN:
            return "right_down";
        case WM_RBUTTONUP:
            return "right_up";
        default:
            return nullptr;
    }
}

double now_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK target_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const char* name = name_of(message)) {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &point);
        std::printf("%s\t%ld\t%ld\t%.3f\n", name, point.x, point.y, now_ms());
        std::fflush(stdout);
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = target_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    window_class.lpszClassName = "VorluneClickTarget";
    if (!RegisterClassA(&window_class)) return 3;
    HWND window = CreateWindowExA(0, "VorluneClickTarget", "VorluneClickTarget", WS_POPUP | WS_VISIBLE,
                                  std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]),
                                  std::atoi(argv[4]), nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window) return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
