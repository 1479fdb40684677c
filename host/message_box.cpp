#include "host/message_box.h"

#include <windows.h>

int ShowMessageBox(const char* text, const char* caption, unsigned style) {
    return MessageBoxA(nullptr, text, caption, style);
}
