// Looks at a running Vorlune from another process, as a user's tools would: finds its window and
// reads the controls and the script list back. List-view messages carry pointers, which mean
// nothing in another process, so their structures and texts live in memory allocated there.
//
//   window_probe layout    checks the window against the expected layout; prints each difference
//   window_probe rows      prints each row's five cells, tab-separated (code page 936 bytes)
//   window_probe count     prints the number of rows
//   window_probe focus     prints the control identifier that has the keyboard focus
//   window_probe fill N    appends N rows (for driving the clear command)
//   window_probe menu      prints the open popup menu's left and top edges
//   window_probe checked   prints the checked radio button's identifier (0 for none) and 1 or 0 for
//                          the loop check box
// Exit codes: 0 done, 1 differences found, 2 no Vorlune window (or no menu), 3 a call failed.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/app/expected_layout.h"

namespace {

// A block of memory inside the target process, released with it.
class RemoteMemory {
   public:
    RemoteMemory(HANDLE process, SIZE_T size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    explicit operator bool() const { return address_ != nullptr; }
    char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr);
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr);
    }

   private:
    HANDLE process_;
    void* address_;
};

struct Target {
    HWND main;
    HWND list;
    HANDLE process;
};

int failures;

void differ(const char* what, const std::string& seen, const std::string& wanted) {
    ++failures;
    std::printf("%s: seen \"%s\", expected \"%s\"\n", what, seen.c_str(), wanted.c_str());
}

void check(const char* what, long long seen, long long wanted) {
    if (seen != wanted) differ(what, std::to_string(seen), std::to_string(wanted));
}

std::string text_of(HWND window) {
    char text[256];
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

constexpr SIZE_T text_offset = 256;
constexpr SIZE_T text_room = 4096;

bool column_header(const Target& target, int index, LVCOLUMNA& column, std::string& header) {
    RemoteMemory memory(target.process, text_offset + text_room);
    if (!memory) return false;
    column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = memory.at(text_offset);
    column.cchTextMax = text_room;
    if (!memory.write(0, &column, sizeof column)) return false;
    if (!SendMessageA(target.list, LVM_GETCOLUMNA, index, reinterpret_cast<LPARAM>(memory.at(0))))
        return false;
    char text[text_room];
    if (!memory.read(0, &column, sizeof column) || !memory.read(text_offset, text, sizeof text)) return false;
    text[text_room - 1] = '\0';
    header = text;
    return true;
}

std::string cell(const Target& target, const RemoteMemory& memory, int row, int column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory.at(text_offset);
    item.cchTextMax = text_room;
    char text[text_room] = {};
    if (!memory.write(0, &item, sizeof item)) return {};
    const LRESULT length =
        SendMessageA(target.list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory.at(0)));
    if (length <= 0 || !memory.read(text_offset, text, static_cast<SIZE_T>(length))) return {};
    return std::string(text, static_cast<size_t>(length));
}

int layout(const Target& target) {
    RECT rect;
    GetWindowRect(target.main, &rect);
    check("width", rect.right - rect.left, expected::width);
    check("height", rect.bottom - rect.top, expected::height);
    check("left", rect.left, (GetSystemMetrics(SM_CXSCREEN) - expected::width) / 2);
    check("top", rect.top, (GetSystemMetrics(SM_CYSCREEN) - expected::height) / 2);
    check("main style",
          GetWindowLongA(target.main, GWL_STYLE) & (expected::main_style | WS_THICKFRAME | WS_MAXIMIZEBOX),
          expected::main_style);
    // Fonts are left to the in-process test: under Wine a font handle means nothing in another process.
    HWND group = GetDlgItem(target.main, control_id::分组框1);
    for (const expected::Control& c : expected::controls) {
        HWND control = GetDlgItem(c.id == control_id::标签1 ? group : target.main, c.id);
        if (!control) {
            differ(c.text, "missing", "present");
            continue;
        }
        char window_class[32];
        GetClassNameA(control, window_class, sizeof window_class);
        if (lstrcmpiA(window_class, c.window_class) != 0) differ(c.text, window_class, c.window_class);
        if (text_of(control) != c.text) differ("caption", text_of(control), c.text);
        check(c.text, GetWindowLongA(control, GWL_STYLE), expected::child_style | c.style);
        RECT seen;
        GetWindowRect(control, &seen);
        MapWindowPoints(nullptr, target.main, reinterpret_cast<POINT*>(&seen), 2);
        check("rect left", seen.left, c.rect.left);
        check("rect top", seen.top, c.rect.top);
        check("rect right", seen.right, c.rect.right);
        check("rect bottom", seen.bottom, c.rect.bottom);
        if (c.style & (BS_AUTORADIOBUTTON | BS_AUTOCHECKBOX))
            check(c.text, SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED, c.checked);
    }
    check("list style", GetWindowLongA(target.list, GWL_STYLE), expected::child_style | expected::list_style);
    check("list extended style", SendMessageA(target.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
          expected::list_extended_style);
    check("list background", SendMessageA(target.list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
    check("list text colour", SendMessageA(target.list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
    int index = 0;
    for (const expected::Column& wanted : expected::columns) {
        LVCOLUMNA column;
        std::string header;
        if (!column_header(target, index++, column, header)) {
            differ("column", "unreadable", wanted.header);
            continue;
        }
        if (header != wanted.header) differ("column header", header, wanted.header);
        check(wanted.header, column.cx, wanted.width);
    }
    LVCOLUMNA column;
    std::string header;
    check("a sixth column", column_header(target, index, column, header), 0);
    return failures ? 1 : 0;
}

int rows(const Target& target) {
    RemoteMemory memory(target.process, text_offset + text_room);
    if (!memory) return 3;
    const int count = static_cast<int>(SendMessageA(target.list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        for (int column = 0; column < 5; ++column)
            std::printf("%s%c", cell(target, memory, row, column).c_str(), column < 4 ? '\t' : '\n');
    return 0;
}

int fill(const Target& target, int count) {
    RemoteMemory memory(target.process, text_offset + text_room);
    if (!memory || !memory.write(text_offset, "0", 2)) return 3;
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = INT_MAX;
        item.pszText = memory.at(text_offset);
        if (!memory.write(0, &item, sizeof item)) return 3;
        if (SendMessageA(target.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(memory.at(0))) < 0)
            return 3;
    }
    return 0;
}

int focus(const Target& target) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(target.main, nullptr), &info)) return 3;
    std::printf("%d\n", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
    return 0;
}

int checked(const Target& target) {
    int radio = 0;
    for (int id : {control_id::单选框1, control_id::单选框2, control_id::单选框3})
        if (IsDlgButtonChecked(target.main, id) == BST_CHECKED) radio = id;
    std::printf("%d %d\n", radio, IsDlgButtonChecked(target.main, control_id::选择框1) == BST_CHECKED);
    return 0;
}

int menu() {
    HWND window = FindWindowA("#32768", nullptr);
    if (!window || !IsWindowVisible(window)) return 2;
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld\n", rect.left, rect.top);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 3;
    const std::string command = argv[1];
    if (command == "menu") return menu();
    Target target{FindWindowA(nullptr, "Vorlune"), nullptr, nullptr};
    if (!target.main) return 2;
    target.list = GetDlgItem(target.main, control_id::超级列表框1);
    DWORD process_id = 0;
    GetWindowThreadProcessId(target.main, &process_id);
    target.process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (!target.process) return 3;
    int result = 3;
    if (command == "layout") result = layout(target);
    if (command == "rows") result = rows(target);
    if (command == "count")
        result = std::printf("%d\n", int(SendMessageA(target.list, LVM_GETITEMCOUNT, 0, 0))) > 0 ? 0 : 3;
    if (command == "focus") result = focus(target);
    if (command == "checked") result = checked(target);
    if (command == "fill" && argc > 2) result = fill(target, std::atoi(argv[2]));
    CloseHandle(target.process);
    return result;
}
