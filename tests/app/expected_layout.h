// What the main window must look like, written out independently of the code that builds it; read
// back both in-process and from another process.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/main_window_win.h"

namespace expected {

constexpr int width = 445;
constexpr int height = 295;
constexpr DWORD main_style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD child_style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD option = BS_LEFT | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;

struct Control {
    HWND Controls::*slot;
    int id;
    const char* window_class;
    const char* text;
    DWORD style;
    RECT rect;  // in the main window's client area
    bool checked;
};

// 普通模拟 is spelled as its code page 936 bytes once, to show what the literals turn into.
inline const Control controls[] = {
    {&Controls::单选框1,
     control_id::单选框1,
     "Button",
     "\xC6\xD5\xCD\xA8\xC4\xA3\xC4\xE2",
     BS_AUTORADIOBUTTON | option,
     {280, 0, 360, 24},
     true},
    {&Controls::单选框2,
     control_id::单选框2,
     "Button",
     "后台模拟",
     BS_AUTORADIOBUTTON | option,
     {360, 0, 440, 24},
     false},
    {&Controls::单选框3,
     control_id::单选框3,
     "Button",
     "驱动模拟",
     BS_AUTORADIOBUTTON | option,
     {280, 24, 360, 48},
     false},
    {&Controls::选择框1,
     control_id::选择框1,
     "Button",
     "循环模拟",
     BS_AUTOCHECKBOX | option,
     {360, 24, 440, 48},
     false},
    {&Controls::分组框1,
     control_id::分组框1,
     "Button",
     "  使用说明  ",
     BS_GROUPBOX | BS_CENTER,
     {278, 66, 437, 154},
     false},
    {&Controls::标签1,
     control_id::标签1,
     "Static",
     "1：HOME键记录或停止记录\r\n2：insert键执行脚本\r\n3：列表框右键清空脚本",
     SS_LEFT,
     {284, 90, 431, 130},
     false},
    {&Controls::按钮1,
     control_id::按钮1,
     "Button",
     "订阅下载更给力版本",
     BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP,
     {280, 168, 432, 264},
     false},
};

constexpr DWORD list_style =
    WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
constexpr DWORD list_extended_style =
    LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
constexpr RECT list_rect{0, 0, 276, 264};

struct Column {
    const char* header;
    int width;
};
inline const Column columns[] = {{"行", 25}, {"鼠标X", 60}, {"鼠标Y", 60}, {"鼠标状态", 60}, {"延时", 50}};

// Tab from the list visits these, then wraps to the list.
inline const int focus_order[] = {control_id::单选框1, control_id::单选框2, control_id::单选框3,
                                  control_id::选择框1, control_id::按钮1,   control_id::超级列表框1};

}  // namespace expected
