// Opening the subscription page in the user's default browser.
#include "link/open_page_win.h"

#include <shellapi.h>

ShellExecuteFn shell_execute = ShellExecuteA;

const char subscription_page[] = "https://vorlune.us1.list-manage.com/subscribe?u=7e1f0c5a9d3b&id=4f2a9c7e1d";

void open_page(const char* address) {
    shell_execute(nullptr, "open", address, "", "", SW_SHOWNORMAL);
}
