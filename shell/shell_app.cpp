#include "shell/shell_app.h"

#include "shell/shell.h"

namespace {
IApplication* App() { return ShellGetApplication(); }
}  // namespace

int32_t appPumpMessages() { return App() ? App()->appPumpMessages() : 0; }
int32_t appIsActive() { return App() ? App()->appIsActive() : 0; }
void appSetActive(int32_t active) {
    if (App()) App()->appSetActive(active);
}
const char* appGetBaseDirectory() {
    const char* directory = App() ? App()->appGetBaseDirectory() : nullptr;
    return directory ? directory : "";
}
int32_t appIsWindowed() { return App() ? App()->appIsWindowed() : 0; }
void appSetWindowed(int32_t windowed) {
    if (App()) App()->appSetWindowed(windowed);
}
void appSetForeground(int32_t show) {
    if (App()) App()->appSetForeground(show);
}
void appSetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (App()) App()->appSetWindowPos(x, y, width, height);
}
void appGetWindowRect(VarnRect* out) {
    if (App()) App()->appGetWindowRect(out);
}
void appMinimize() {
    if (App()) App()->appMinimize();
}
void appRestoreWindow() {
    if (App()) App()->appRestoreWindow();
}
void appShowCursor(int32_t show) {
    if (App()) App()->appShowCursor(show);
}
int32_t appHasPendingText() { return App() ? App()->appHasPendingText() : 0; }
void appSetPendingText(const char* text) {
    if (App()) App()->appSetPendingText(text);
}
