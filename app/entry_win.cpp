// The process entry point of vorlune.exe.
#include <windows.h>

#include "app/app_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return run_app();
}
