// The one way the host shows a message box: without an owner window, waiting
// until the user closes it. Tests find the box by its caption and close it.
#pragma once

// MessageBoxA's answer (the button pressed; 0 when the box could not be shown).
int ShowMessageBox(const char* text, const char* caption, unsigned style);
