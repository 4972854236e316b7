// The subscription link: asking the shell to open a web address.
#pragma once

#include <windows.h>

// The shell call, replaceable so that tests can see what the tool asks of the shell.
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern ShellExecuteFn shell_execute;

// The maker's mailing-list subscription page.
extern const char subscription_page[];

// One shell request to open the address; the result is not examined (no message is shown).
void open_page(const char* address);
