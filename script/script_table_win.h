// The script table: the operations on the list control that holds the script.
#pragma once

#include <windows.h>

#include "script/cell_text.h"
#include "script/player.h"
#include "script/script_row.h"

// Inserts a row at `position`, at the end when it is negative; the index of the new row, -1 on failure.
int insert_row(HWND list, int position = -1, const char* label = nullptr);
int row_count(HWND list);
void set_cell_text(HWND list, int row, int column = 0, const char* text = nullptr);
// The cell's whole text, however long.
CellText get_cell_text(HWND list, int row, int column = 0);
void delete_all_rows(HWND list);

// Appends a recorded row, its label the 1-based row number; false when the row could not be added.
bool append_row(HWND list, const ScriptRow& row);

// The list as playback reads it.
class ListTable final : public ScriptSource {
   public:
    explicit ListTable(HWND list) : list_(list) {}
    int row_count() override { return ::row_count(list_); }
    CellText cell(int row, int column) override { return get_cell_text(list_, row, column); }

   private:
    HWND list_;
};
