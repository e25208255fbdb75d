// Message boxes: a modal dialog with a caption, a text of several lines and buttons.
#pragma once

// Flags and results keep the values of the system the programs were written for.
constexpr unsigned PLAT_MB_OK = 0x0;
constexpr unsigned PLAT_MB_YESNO = 0x4;
constexpr unsigned PLAT_MB_SYSTEMMODAL = 0x1000;
constexpr int PLAT_IDOK = 1;
constexpr int PLAT_IDYES = 6;
constexpr int PLAT_IDNO = 7;

// Shows a modal box and waits for the answer. Without a display it writes caption
// and text to standard error and returns 0.
int plat_message_box(const char *text, const char *caption, unsigned flags);

// Test seam: while installed, the hook answers every box instead of a window.
using PlatMessageBoxHook = int (*)(const char *text, const char *caption, unsigned flags);
void plat_message_box_set_hook(PlatMessageBoxHook hook);
