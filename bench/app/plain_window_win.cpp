// The baseline for the start-up figure: a program that only registers a class and shows a window.
#include <windows.h>

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = plain_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = "plain";
    RegisterClassA(&window_class);
    CreateWindowA("plain", "plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 445, 295, nullptr, nullptr,
                  instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
