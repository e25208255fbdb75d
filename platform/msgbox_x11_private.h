// Message boxes over Xlib, shared between the window code and the layout and drawing.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

struct BoxButton {
  const char *label;
  int answer;
  int x, y, width, height;
};

struct BoxColours {
  unsigned long text_area, button_strip, text, face, face_pressed, border, focus;
};

struct MessageBoxWindow {
  Display *display;
  int screen;
  Window window;
  GC gc;
  XFontStruct *font;
  bool font_is_queried;   // the server's default font: free its info, never unload it
  std::vector<std::string> lines;
  BoxButton buttons[2];
  int button_count;
  int focused;            // the button Enter and Space take
  int pressed;            // button under a held mouse button, -1 none
  int width, height;
  int strip_top;          // the grey strip that holds the buttons starts here
  BoxColours colours;
};

// Loads a readable core font, falling back to the server's default font.
void msgbox_load_font(MessageBoxWindow *box);
void msgbox_free_font(MessageBoxWindow *box);
void msgbox_alloc_colours(MessageBoxWindow *box);
// Splits the text into lines, wraps and clips them to the screen, places the buttons
// and computes the window's size.
void msgbox_layout(MessageBoxWindow *box, const char *text);
void msgbox_draw(MessageBoxWindow *box);
// The button at a window position, -1 none.
int msgbox_button_at(const MessageBoxWindow *box, int x, int y);
// Latin-1 bytes as UTF-8, for _NET_WM_NAME.
std::string msgbox_latin1_to_utf8(const char *text);
