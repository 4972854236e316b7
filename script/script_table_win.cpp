// The script table over the list-view control's ANSI messages.
#include "script/script_table_win.h"

#include <commctrl.h>

#include <charconv>
#include <climits>
#include <utility>

namespace {

// A decimal number as a NUL-terminated text, as the list stores it.
struct Decimal {
    char text[16];
    explicit Decimal(long long value) { *std::to_chars(text, text + sizeof text - 1, value).ptr = '\0'; }
};

void set_cell(HWND list, int row, int column, const char* text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int insert_row(HWND list, int position, const char* label) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = position < 0 ? INT_MAX : position;
    item.pszText = const_cast<char*>(label ? label : "");
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int row_count(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void set_cell_text(HWND list, int row, int column, const char* text) {
    set_cell(list, row, column, text ? text : "");
}

CellText get_cell_text(HWND list, int row, int column) {
    CellText text;
    if (!text.make_room(512)) return text;
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.buffer();
        item.cchTextMax = static_cast<int>(text.room());
        const auto length = static_cast<std::size_t>(
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        text.set_length(length);
        // A text that reaches the last byte but one may have been cut short: read again with twice the room.
        if (length + 1 < text.room() || text.room() > INT_MAX / 2) return text;
        CellText larger;
        // Out of memory, the text stays cut where the room ended.
        if (!larger.make_room(text.room() * 2)) return text;
        text = std::move(larger);
    }
}

void delete_all_rows(HWND list) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

bool append_row(HWND list, const ScriptRow& row) {
    const int index = insert_row(list, -1, Decimal(row_count(list) + 1LL).text);
    if (index < 0) return false;
    set_cell(list, index, column::x, Decimal(row.x).text);
    set_cell(list, index, column::y, Decimal(row.y).text);
    set_cell(list, index, column::state, mouse_state_name(row.state));
    set_cell(list, index, column::delay, Decimal(row.delay).text);
    return true;
}
