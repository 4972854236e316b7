// Start-up and shutdown in their fixed order, around the main window's message loop.
#include "app/app_win.h"

#include <commctrl.h>

#include <iterator>

#include "app/exit_routines.h"
#include "app/main_window_win.h"
#include "script/script_win.h"
#include "skin/apply_skin_win.h"
#include "skin/module_loader.h"

ModuleLoader* loader_pointer;
void* global_buffer;
MessageBoxFn message_box = MessageBoxA;

namespace {

void release_process_state() {
    if (loader_pointer) {
        loader_pointer->ops->destroy(loader_pointer);
        free_module_loader(loader_pointer);
        loader_pointer = nullptr;
    }
    if (global_buffer) {
        HeapFree(GetProcessHeap(), 0, global_buffer);
        global_buffer = nullptr;
    }
}

bool init_common_controls() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&classes);
}

// Before the main window exists, so that the skin dresses it from its first message on. Without the
// skin the tool works as it is, in the system's look.
bool dress_in_skin() {
    const char* failure = apply_embedded_skin(loader_pointer);
    if (!failure) return true;
    OutputDebugStringA("vorlune: the tool runs unskinned: ");
    OutputDebugStringA(failure);
    OutputDebugStringA("\n");
    return false;
}

// A failed routine leaves the tool without its part; the window still comes up if it can.
bool (*const startup_routines[])() = {init_common_controls, load_program_icons, register_main_window_class,
                                      dress_in_skin};

// The hotkeys go live before the window is first shown.
void on_main_window_created(HWND) {
    if (!install_hooks())
        OutputDebugStringA("vorlune: the keyboard and mouse hooks could not be installed\n");
    register_exit_routine(unhook);
}

}  // namespace

int run_app() {
    loader_pointer = create_module_loader();
    register_exit_routine(release_process_state);
    for (auto* routine : startup_routines)
        if (!routine()) OutputDebugStringA("vorlune: a start-up routine failed\n");
    switch (create_main_window(on_main_window_created)) {
        case BuildResult::failed:
            message_box(nullptr, "无法创建主窗口，Vorlune 将退出。", "Vorlune", MB_OK | MB_ICONERROR);
            return -1;
        case BuildResult::destroyed_by_handler:
        case BuildResult::shown:
            break;
    }
    run_message_loop();
    run_exit_routines();
    return 0;
}
