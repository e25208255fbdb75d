// Screen model and text output: image surfaces and screen modes, the print engine
// and cursor, fonts and glyph drawing, colour and palettes.
#pragma once

#include <cstdint>

struct RtString;

// Start-up: default palettes, the mode 10 colour table, the built-in fonts, then
// SCREEN 0 with every argument defaulted.
void scr_startup();

// END's prompt: "Press any key to continue" on the bottom row of the visible page.
void scr_end_prompt();
