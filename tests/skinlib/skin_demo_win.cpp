// The real main window with the shipped skin attached and a few rows, for the skinned screenshot.
// commctrl.h needs the types of windows.h ahead of it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <fstream>
#include <iterator>
#include <vector>

#include "app/main_window_win.h"
#include "skinlib/skinlib.h"

namespace {

std::vector<char> skin_bytes;
SkinAttachResFn attach;

void add_row(HWND list, int row, const char* const (&cells)[5]) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells[0]);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < 5; ++column) {
        item.iSubItem = column;
        item.pszText = const_cast<char*>(cells[column]);
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

void on_created(HWND) {
    if (!attach(skin_bytes.data(), static_cast<DWORD>(skin_bytes.size()), 0, 0, 0))
        OutputDebugStringA("skin_demo: the skin was refused\n");
    const char* const rows[][5] = {{"1", "512", "384", "左键按下", "0"},
                                   {"2", "512", "384", "左键弹起", "96"},
                                   {"3", "640", "200", "右键按下", "1203"}};
    for (int row = 0; row < 3; ++row) add_row(controls().超级列表框1, row, rows[row]);
    LVITEMA selected{};
    selected.stateMask = selected.state = LVIS_SELECTED;
    SendMessageA(controls().超级列表框1, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    HMODULE library = LoadLibraryA(SKINLIB_PATH);
    if (!InitCommonControlsEx(&classes) || !load_program_icons() || !register_main_window_class() || !library)
        return 1;
    attach = reinterpret_cast<SkinAttachResFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "Skin_AttachRes")));
    std::ifstream in(VORLUNE_SKIN_PATH, std::ios::binary);
    skin_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!attach || create_main_window(on_created) != BuildResult::shown) return 1;
    run_message_loop();
    return 0;
}
