// End-to-end test harness: processes with fork/exec, windows with Xlib, input with xdotool.
#include "e2e/harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

// ---- Processes -------------------------------------------------------------------------

std::string e2e_program_path(const std::string &name) { return std::string(PROGRAM_DIR) + "/prog_" + name; }
std::string e2e_game_path() { return std::string(GAME_DIR) + "/marrowvale"; }
std::string e2e_output_path(const std::string &file) { return std::string(PROGRAM_DIR) + "/" + file; }

static std::vector<int> live_children;

// A failed assertion must not leave a program running into the next test's search.
static void kill_live_children() {
  for (int pid : live_children) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  live_children.clear();
}

static void forget_child(int pid) {
  for (size_t i = 0; i < live_children.size(); i++)
    if (live_children[i] == pid) live_children.erase(live_children.begin() + long(i));
}

static void redirect(const std::string &path, int fd) {
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file >= 0) {
    dup2(file, fd);
    close(file);
  }
}

E2eProcess e2e_spawn(const std::string &exe, const std::vector<std::string> &args, const std::string &tag) {
  static bool cleanup_registered = false;
  if (!cleanup_registered) cleanup_registered = atexit(kill_live_children) == 0;
  E2eProcess process;
  std::string name = tag.empty() ? exe.substr(exe.rfind('/') + 1) : tag;
  process.stdout_path = e2e_output_path(name + ".stdout");
  process.stderr_path = e2e_output_path(name + ".stderr");
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(exe.c_str()));
  for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  fflush(nullptr);
  int pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group: a kill reaches anything it started too
    redirect(process.stdout_path, 1);
    redirect(process.stderr_path, 2);
    execv(exe.c_str(), argv.data());
    fprintf(stderr, "cannot start %s\n", exe.c_str());
    _exit(127);
  }
  if (pid < 0) {
    fprintf(stderr, "fork failed for %s\n", exe.c_str());
    return process;
  }
  process.pid = pid;
  live_children.push_back(pid);
  return process;
}

static bool reap(E2eProcess *process, int options) {
  if (process->exited) return true;
  if (process->pid < 0) return false;
  int status = 0;
  if (waitpid(process->pid, &status, options) != process->pid) return false;
  process->exited = true;
  process->exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  forget_child(process->pid);
  return true;
}

bool e2e_wait_exit(E2eProcess *process, int timeout_ms) {
  return e2e_wait_until([&] { return reap(process, WNOHANG); }, timeout_ms);
}

bool e2e_running(E2eProcess *process) { return process->pid >= 0 && !reap(process, WNOHANG); }

void e2e_kill(E2eProcess *process) {
  if (!e2e_running(process)) return;
  kill(-process->pid, SIGKILL);
  kill(process->pid, SIGKILL);
  reap(process, 0);
}

std::string e2e_read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// ---- Waiting -----------------------------------------------------------------------------

void e2e_sleep_ms(int ms) {
  timespec ts{ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

static long now_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool e2e_wait_until(const std::function<bool()> &condition, int timeout_ms) {
  long deadline = now_ms() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (now_ms() >= deadline) return false;
    e2e_sleep_ms(20);
  }
}

// ---- Windows -----------------------------------------------------------------------------

// Windows of other processes come and go at any time; a request on a vanished one must
// fail quietly instead of ending the test through Xlib's default handler.
static int ignore_x_error(Display *, XErrorEvent *) { return 0; }

static Display *test_display() {
  static Display *display = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    display = XOpenDisplay(nullptr);
    if (display) XSetErrorHandler(ignore_x_error);
    else fprintf(stderr, "no X server: DISPLAY is '%s'; run under tools/with-xvfb.sh\n",
                 getenv("DISPLAY") ? getenv("DISPLAY") : "");
  }
  return display;
}

bool e2e_have_display() { return test_display() != nullptr; }

static std::string utf8_title(Display *d, Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = nullptr;
  std::string title;
  Atom name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
  if (XGetWindowProperty(d, w, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success &&
      data && format == 8)
    title.assign(reinterpret_cast<char *>(data), count);
  if (data) XFree(data);
  return title;
}

std::string e2e_window_title(E2eWindow window) {
  Display *d = test_display();
  if (!d) return "";
  std::string title = utf8_title(d, window);
  if (!title.empty()) return title;
  char *name = nullptr;
  if (XFetchName(d, window, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

static bool is_mapped(Display *d, Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

static Window search_tree(Display *d, Window w, const std::string &title) {
  if (e2e_window_title(w) == title && is_mapped(d, w)) return w;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; i++) found = search_tree(d, children[i], title);
  if (children) XFree(children);
  return found;
}

E2eWindow e2e_find_window(const std::string &title, int timeout_ms) {
  Display *d = test_display();
  if (!d) return 0;
  Window found = 0;
  e2e_wait_until([&] { return (found = search_tree(d, DefaultRootWindow(d), title)) != 0; }, timeout_ms);
  return found;
}

bool e2e_window_exists(E2eWindow window) {
  Display *d = test_display();
  XWindowAttributes a;
  return d && XGetWindowAttributes(d, window, &a);
}

bool e2e_wait_window_gone(E2eWindow window, int timeout_ms) {
  return e2e_wait_until([&] { return !e2e_window_exists(window); }, timeout_ms);
}

bool e2e_window_geometry(E2eWindow window, E2eGeometry *geometry) {
  Display *d = test_display();
  XWindowAttributes a;
  Window child;
  if (!d || !XGetWindowAttributes(d, window, &a)) return false;
  if (!XTranslateCoordinates(d, window, a.root, 0, 0, &geometry->x, &geometry->y, &child)) return false;
  geometry->width = a.width;
  geometry->height = a.height;
  return true;
}

static int mask_shift(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    shift++;
  }
  return shift;
}

static uint32_t channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  unsigned long value = (pixel & mask) >> mask_shift(mask), max = mask >> mask_shift(mask);
  return uint32_t(value * 255 / max);
}

bool e2e_grab(E2eWindow window, E2eImage *image) {
  Display *d = test_display();
  E2eGeometry g;
  if (!d || !is_mapped(d, window) || !e2e_window_geometry(window, &g)) return false;
  // XGetImage refuses a window rectangle that is not all on the screen.
  int left = g.x < 0 ? -g.x : 0, top = g.y < 0 ? -g.y : 0;
  int right = std::min(g.width, DisplayWidth(d, DefaultScreen(d)) - g.x);
  int bottom = std::min(g.height, DisplayHeight(d, DefaultScreen(d)) - g.y);
  if (right <= left || bottom <= top) return false;
  XImage *x = XGetImage(d, window, left, top, unsigned(right - left), unsigned(bottom - top), AllPlanes, ZPixmap);
  if (!x) return false;
  image->width = right - left;
  image->height = bottom - top;
  image->pixels.resize(size_t(image->width) * size_t(image->height));
  for (int y = 0; y < image->height; y++)
    for (int col = 0; col < image->width; col++) {
      unsigned long p = XGetPixel(x, col, y);
      image->pixels[size_t(y) * size_t(image->width) + size_t(col)] =
          channel(p, x->red_mask) << 16 | channel(p, x->green_mask) << 8 | channel(p, x->blue_mask);
    }
  XDestroyImage(x);
  return true;
}

std::string e2e_save_image(const E2eImage &image, const std::string &path_without_extension) {
  std::string ppm = path_without_extension + ".ppm", png = path_without_extension + ".png";
  FILE *f = fopen(ppm.c_str(), "wb");
  if (!f) return "";
  fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  for (uint32_t p : image.pixels) {
    unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    fwrite(rgb, 1, 3, f);
  }
  fclose(f);
  if (system("command -v convert >/dev/null 2>&1") != 0) return ppm;
  std::string command = "convert '" + ppm + "' '" + png + "' 2>/dev/null";
  return system(command.c_str()) == 0 ? png : ppm;
}

// ---- Input -------------------------------------------------------------------------------

static std::string quoted(const std::string &s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A key or click that closes its window makes xdotool's later events on it (the key
// release) fail; that is success for us, so its complaint is shown only for real failures.
static bool run_xdotool(const std::string &arguments, E2eWindow window = 0) {
  std::string errors = e2e_output_path("xdotool.stderr");
  std::string command = "xdotool " + arguments + " 2>" + quoted(errors);
  int status = system(command.c_str());
  if (status == 0 || (window && !e2e_window_exists(window))) return true;
  fprintf(stderr, "failed (status %d): %s\n%s", status, command.c_str(), e2e_read_file(errors).c_str());
  return false;
}

// When the window has the focus xdotool presses the keys through XTEST; if the press
// closed the window, xdotool gives up before the release and the server would keep the
// key down, auto-repeating into the next window that gets the focus.
bool e2e_key(E2eWindow window, const std::string &keys) {
  bool window_was_there = e2e_window_exists(window);
  bool sent = run_xdotool("key --window " + std::to_string(window) + " " + keys, window);
  if (window_was_there && !e2e_window_exists(window)) run_xdotool("keyup " + keys);
  return sent;
}

bool e2e_key_focused(const std::string &keys) { return run_xdotool("key " + keys); }

bool e2e_type(E2eWindow window, const std::string &text) {
  return run_xdotool("type --window " + std::to_string(window) + " " + quoted(text), window);
}

bool e2e_click(E2eWindow window, int x, int y, int button) {
  return run_xdotool("mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) + " " +
                         std::to_string(y) + " click " + std::to_string(button),
                     window);
}

bool e2e_close_window(E2eWindow window) {
  Display *d = test_display();
  if (!d) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  bool sent = XSendEvent(d, window, False, NoEventMask, &e) != 0;
  XSync(d, False);
  return sent;
}

bool e2e_resize(E2eWindow window, int width, int height) {
  Display *d = test_display();
  if (!d) return false;
  XResizeWindow(d, window, unsigned(width), unsigned(height));
  XSync(d, False);
  return true;
}

// ---- Added for the window tests ----------------------------------------------------------
bool e2e_move(E2eWindow window, int x, int y) {
  Display *d = test_display();
  if (!d) return false;
  XMoveWindow(d, window, x, y);
  XSync(d, False);
  return true;
}

bool e2e_raise(E2eWindow window) {
  Display *d = test_display();
  if (!d) return false;
  XRaiseWindow(d, window);
  XSync(d, False);
  return true;
}

// ---- Added for the game tests ------------------------------------------------------------
// The child inherits the environment at fork; ours is put back right after.
E2eProcess e2e_spawn_with_env(const std::string &exe, const std::vector<std::string> &args,
                              const std::string &tag, const std::vector<std::string> &environment) {
  struct Saved {
    std::string name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved;
  for (const std::string &entry : environment) {
    std::string name = entry.substr(0, entry.find('='));
    const char *old = getenv(name.c_str());
    saved.push_back({name, old != nullptr, old ? old : ""});
    setenv(name.c_str(), entry.substr(name.size() + 1).c_str(), 1);
  }
  E2eProcess process = e2e_spawn(exe, args, tag);
  for (const Saved &s : saved) {
    if (s.had) setenv(s.name.c_str(), s.value.c_str(), 1);
    else unsetenv(s.name.c_str());
  }
  return process;
}

bool e2e_type_slowly(E2eWindow window, const std::string &text, int delay_ms) {
  return run_xdotool("type --window " + std::to_string(window) + " --delay " + std::to_string(delay_ms) + " " +
                         quoted(text),
                     window);
}
