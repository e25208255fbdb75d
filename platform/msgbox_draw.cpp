// Message boxes over Xlib: the font, the text layout with its buttons, and drawing.
#include "platform/msgbox_x11_private.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

constexpr int MARGIN_X = 24;
constexpr int TEXT_TOP = 20;
constexpr int TEXT_GAP = 20;      // between the last text line and the button strip
constexpr int STRIP_PAD = 12;
constexpr int BUTTON_GAP = 8;
constexpr int MIN_BUTTON_WIDTH = 75;
constexpr int MIN_WIDTH = 220;

// Core fonts only: a fresh machine with xvfb has the misc fixed fonts, and every
// server has a default font to fall back on.
static const char *const font_names[] = {
    "9x15",
    "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1",
    "fixed",
};

void msgbox_load_font(MessageBoxWindow *box) {
  for (const char *name : font_names) {
    box->font = XLoadQueryFont(box->display, name);
    if (box->font) {
      box->font_is_queried = false;
      return;
    }
  }
  box->font = XQueryFont(box->display, XGContextFromGC(DefaultGC(box->display, box->screen)));
  box->font_is_queried = true;
}

void msgbox_free_font(MessageBoxWindow *box) {
  if (!box->font) return;
  if (box->font_is_queried) XFreeFontInfo(nullptr, box->font, 1);
  else XFreeFont(box->display, box->font);
  box->font = nullptr;
}

static unsigned long colour(MessageBoxWindow *box, unsigned rgb, bool dark) {
  XColor c{};
  c.red = uint16_t(((rgb >> 16) & 0xFF) * 257);
  c.green = uint16_t(((rgb >> 8) & 0xFF) * 257);
  c.blue = uint16_t((rgb & 0xFF) * 257);
  c.flags = DoRed | DoGreen | DoBlue;
  if (XAllocColor(box->display, DefaultColormap(box->display, box->screen), &c)) return c.pixel;
  return dark ? BlackPixel(box->display, box->screen) : WhitePixel(box->display, box->screen);
}

void msgbox_alloc_colours(MessageBoxWindow *box) {
  box->colours = BoxColours{colour(box, 0xFFFFFF, false), colour(box, 0xF0F0F0, false),
                            colour(box, 0x000000, true),  colour(box, 0xE1E1E1, false),
                            colour(box, 0xCCE4F7, false), colour(box, 0xADADAD, true),
                            colour(box, 0x0078D7, true)};
}

static int line_height(const MessageBoxWindow *box) { return box->font->ascent + box->font->descent + 2; }

static int text_width(const MessageBoxWindow *box, const std::string &s) {
  return XTextWidth(box->font, s.data(), int(s.size()));
}

// Control bytes would draw as boxes or nothing: tabs become blanks, returns go,
// anything else shows as '?'.
static std::vector<std::string> split_lines(const char *text) {
  std::vector<std::string> lines(1);
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
    if (*p == '\n') lines.emplace_back();
    else if (*p == '\r') continue;
    else if (*p == '\t') lines.back() += "    ";
    else if (*p < 32 || *p == 127) lines.back() += '?';
    else lines.back() += char(*p);
  }
  return lines;
}

// Breaks a line wider than max_width at its last blank that fits, or mid-word when
// a single word is too wide; appends the pieces to out.
static void wrap_line(const MessageBoxWindow *box, std::string line, int max_width,
                      std::vector<std::string> *out) {
  while (text_width(box, line) > max_width) {
    size_t fit = 1;
    while (fit < line.size() && XTextWidth(box->font, line.data(), int(fit + 1)) <= max_width) fit++;
    size_t blank = line.rfind(' ', fit);
    size_t cut = (blank != std::string::npos && blank > 0) ? blank : fit;
    out->push_back(line.substr(0, cut));
    line.erase(0, cut < line.size() && line[cut] == ' ' ? cut + 1 : cut);
  }
  out->push_back(line);
}

static void place_buttons(MessageBoxWindow *box) {
  int widest = 0;
  for (int i = 0; i < box->button_count; i++)
    widest = std::max(widest, XTextWidth(box->font, box->buttons[i].label, int(strlen(box->buttons[i].label))));
  int width = std::max(MIN_BUTTON_WIDTH, widest + 24);
  int height = std::max(23, box->font->ascent + box->font->descent + 12);
  int x = box->width - MARGIN_X - box->button_count * width - (box->button_count - 1) * BUTTON_GAP;
  for (int i = 0; i < box->button_count; i++) {
    box->buttons[i].x = x + i * (width + BUTTON_GAP);
    box->buttons[i].y = box->strip_top + STRIP_PAD;
    box->buttons[i].width = width;
    box->buttons[i].height = height;
  }
}

void msgbox_layout(MessageBoxWindow *box, const char *text) {
  int screen_width = DisplayWidth(box->display, box->screen);
  int screen_height = DisplayHeight(box->display, box->screen);
  int max_text_width = std::max(200, screen_width * 3 / 4 - 2 * MARGIN_X);
  int max_lines = std::max(1, (screen_height - 160) / line_height(box));
  box->lines.clear();
  for (const std::string &line : split_lines(text)) wrap_line(box, line, max_text_width, &box->lines);
  if (int(box->lines.size()) > max_lines) {  // too tall for the screen: show the start
    box->lines.resize(max_lines);
    box->lines.back() = "...";
  }
  int widest = 0;
  for (const std::string &line : box->lines) widest = std::max(widest, text_width(box, line));
  int buttons_width = box->button_count * MIN_BUTTON_WIDTH + (box->button_count - 1) * BUTTON_GAP;
  box->width = std::max(MIN_WIDTH, std::max(widest, buttons_width) + 2 * MARGIN_X);
  box->strip_top = TEXT_TOP + int(box->lines.size()) * line_height(box) + TEXT_GAP;
  place_buttons(box);
  box->height = box->strip_top + 2 * STRIP_PAD + box->buttons[0].height;
}

int msgbox_button_at(const MessageBoxWindow *box, int x, int y) {
  for (int i = 0; i < box->button_count; i++) {
    const BoxButton &b = box->buttons[i];
    if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height) return i;
  }
  return -1;
}

static void fill(MessageBoxWindow *box, unsigned long pixel, int x, int y, int w, int h) {
  XSetForeground(box->display, box->gc, pixel);
  XFillRectangle(box->display, box->window, box->gc, x, y, unsigned(w), unsigned(h));
}

static void draw_button(MessageBoxWindow *box, int i) {
  const BoxButton &b = box->buttons[i];
  const BoxColours &c = box->colours;
  int border = i == box->focused ? 2 : 1;
  fill(box, i == box->focused ? c.focus : c.border, b.x, b.y, b.width, b.height);
  fill(box, i == box->pressed ? c.face_pressed : c.face, b.x + border, b.y + border, b.width - 2 * border,
       b.height - 2 * border);
  int label_length = int(strlen(b.label));
  int label_x = b.x + (b.width - XTextWidth(box->font, b.label, label_length)) / 2;
  int baseline = b.y + (b.height - box->font->ascent - box->font->descent) / 2 + box->font->ascent;
  XSetForeground(box->display, box->gc, c.text);
  XDrawString(box->display, box->window, box->gc, label_x, baseline, b.label, label_length);
}

void msgbox_draw(MessageBoxWindow *box) {
  fill(box, box->colours.text_area, 0, 0, box->width, box->strip_top);
  fill(box, box->colours.button_strip, 0, box->strip_top, box->width, box->height - box->strip_top);
  XSetForeground(box->display, box->gc, box->colours.text);
  int y = TEXT_TOP + box->font->ascent;
  for (const std::string &line : box->lines) {
    XDrawString(box->display, box->window, box->gc, MARGIN_X, y, line.data(), int(line.size()));
    y += line_height(box);
  }
  for (int i = 0; i < box->button_count; i++) draw_button(box, i);
  XFlush(box->display);
}

std::string msgbox_latin1_to_utf8(const char *text) {
  std::string out;
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
    if (*p < 0x80) {
      out += char(*p);
    } else {
      out += char(0xC0 | (*p >> 6));
      out += char(0x80 | (*p & 0x3F));
    }
  }
  return out;
}
