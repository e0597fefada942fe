// What a user at a virtual X server does, for the real-program tests:
// starts the program, finds its windows by name, grabs what they show,
// clicks and types through the server's input devices, closes a window as
// a window manager would. Used by the x11 user programs.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace x11user {

inline xcb_connection_t* conn = nullptr;
inline xcb_window_t root = 0;

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

inline int Fail(const std::string& why) {
  std::fprintf(stderr, "x11 user: %s\n", why.c_str());
  return 1;
}

// Starts the program in its own directory, with arguments.
inline pid_t Spawn(const std::string& program, const std::vector<std::string>& args = {}) {
  const std::string dir = program.substr(0, program.rfind('/'));
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Waits up to `ms` for the process; its exit code, -1 when it did not end.
inline int WaitFor(pid_t pid, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    Sleep(20);
  }
  return -1;
}

inline xcb_atom_t Atom(const char* name) {
  auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, std::strlen(name), name), nullptr);
  xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

inline std::string WindowName(xcb_window_t w) {
  for (xcb_atom_t prop : {Atom("_NET_WM_NAME"), static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
    auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                     nullptr);
    std::string s;
    if (r) s.assign(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    if (!s.empty()) return s;
  }
  return {};
}

// The top-level windows from bottom to top.
inline std::vector<xcb_window_t> Stack() {
  std::vector<xcb_window_t> out;
  auto* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, root), nullptr);
  if (!r) return out;
  const xcb_window_t* c = xcb_query_tree_children(r);
  out.assign(c, c + xcb_query_tree_children_length(r));
  std::free(r);
  return out;
}

inline bool Viewable(xcb_window_t w) {
  auto* r = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
  const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(r);
  return v;
}

inline xcb_window_t FindProgramWindow(int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    for (xcb_window_t w : Stack())
      if (Viewable(w) && WindowName(w).rfind("Orvelan", 0) == 0) return w;
    Sleep(50);
  }
  return 0;
}

inline int StackIndex(xcb_window_t w) {
  const std::vector<xcb_window_t> s = Stack();
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] == w) return static_cast<int>(i);
  return -1;
}

inline bool Geometry(xcb_window_t w, int& x, int& y, int& width, int& height) {
  auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr);
  auto* t = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
  const bool ok = g && t;
  if (ok) {
    x = t->dst_x;
    y = t->dst_y;
    width = g->width;
    height = g->height;
  }
  std::free(g);
  std::free(t);
  return ok;
}

// A window's whole picture as the server shows it: rows of 0xRRGGBB.
struct Picture {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Rgb;
  bool operator==(const Picture&) const = default;
};

inline bool GrabPicture(xcb_window_t w, Picture& out) {
  int x = 0, y = 0, width = 0, height = 0;
  if (!Geometry(w, x, y, width, height)) return false;
  auto* img = xcb_get_image_reply(
      conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
  if (!img) return false;
  const uint8_t* d = xcb_get_image_data(img);
  const bool ok = img->depth == 24 && xcb_get_image_data_length(img) >= width * height * 4;
  if (ok) {
    out.Width = width;
    out.Height = height;
    out.Rgb.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < out.Rgb.size(); ++i) out.Rgb[i] = d[4 * i + 2] << 16 | d[4 * i + 1] << 8 | d[4 * i];
  }
  std::free(img);
  return ok;
}

inline bool WritePpm(const Picture& p, const std::string& path) {
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << p.Width << " " << p.Height << "\n255\n";
  for (uint32_t px : p.Rgb) {
    const char rgb[3] = {static_cast<char>(px >> 16), static_cast<char>(px >> 8), static_cast<char>(px)};
    f.write(rgb, 3);
  }
  return static_cast<bool>(f);
}

inline bool Grab(xcb_window_t w, const std::string& path) {
  Picture p;
  return GrabPicture(w, p) && WritePpm(p, path);
}

// A part of a window as the test expects to see it: a P6 file whose
// comment line "# at X Y" gives its place in the window (menu bar
// included). False when unreadable.
inline bool ReadExpected(const std::string& path, Picture& p, int& x, int& y) {
  std::ifstream f(path, std::ios::binary);
  std::string magic, hash, at;
  int max = 0;
  if (!(f >> magic >> hash >> at >> x >> y >> p.Width >> p.Height >> max) || magic != "P6" || hash != "#" ||
      at != "at" || max != 255)
    return false;
  f.get();
  p.Rgb.resize(static_cast<std::size_t>(p.Width) * p.Height);
  for (uint32_t& px : p.Rgb) {
    unsigned char rgb[3] = {};
    f.read(reinterpret_cast<char*>(rgb), 3);
    px = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
  }
  return static_cast<bool>(f);
}

inline bool ShowsPart(const Picture& window, const Picture& part, int x, int y) {
  if (x < 0 || y < 0 || x + part.Width > window.Width || y + part.Height > window.Height) return false;
  for (int row = 0; row < part.Height; ++row)
    for (int col = 0; col < part.Width; ++col)
      if (part.Rgb[row * part.Width + col] != window.Rgb[(y + row) * window.Width + x + col]) return false;
  return true;
}

// Waits up to `ms` until the window shows the expected part (a page is
// painted after the program's timers, later on a loaded machine). False
// when it did not; the caller goes on, and the test's comparison of what
// was grabbed says what differs.
inline bool WaitShowing(xcb_window_t w, const std::string& expected, int ms) {
  Picture part, shown;
  int x = 0, y = 0;
  if (!ReadExpected(expected, part, x, y)) {
    Fail("unreadable " + expected);
    return false;
  }
  for (int waited = 0; waited <= ms; waited += 50) {
    if (GrabPicture(w, shown) && ShowsPart(shown, part, x, y)) return true;
    Sleep(50);
  }
  Fail(expected + " was not shown in " + std::to_string(ms) + " ms");
  return false;
}

// Waits up to `ms` until the window's picture differs from `from` (when
// given) and then stays the same for `quiet` ms: for a picture the test
// cannot know beforehand. A caret blinks every 530 ms, so `quiet` stays
// below that. False when it did not settle.
inline bool WaitSettled(xcb_window_t w, int ms, int quiet = 400, const Picture* from = nullptr) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  Picture last, now;
  auto since = Clock::now();
  while (Clock::now() < deadline) {
    if (GrabPicture(w, now) && (!from || now != *from)) {
      if (now != last) {
        last = std::move(now);
        since = Clock::now();
      } else if (Clock::now() - since >= std::chrono::milliseconds(quiet)) {
        return true;
      }
    }
    Sleep(20);
  }
  return false;
}

// User and system time the process has used so far, in milliseconds (-1
// when it cannot be read).
inline long ProcessCpuMs(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::size_t paren = stat.rfind(')');  // the command name may hold blanks
  unsigned long user = 0, system = 0;  // fields 14 and 15, after state (3) and ten more
  if (paren == std::string::npos ||
      std::sscanf(stat.c_str() + paren + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                  &system) != 2)
    return -1;
  return static_cast<long>((user + system) * 1000 / sysconf(_SC_CLK_TCK));
}

// Waits up to `ms` until the process has used (almost) no processor for
// `quiet` ms: its start-up step and first page are done (the step's timer
// fires 200 ms after the first paint). False when it did not go quiet.
inline bool WaitQuiet(pid_t pid, int ms, int quiet = 1000) {
  for (int waited = 0; waited < ms; waited += quiet) {
    const long from = ProcessCpuMs(pid);
    Sleep(quiet);
    const long to = ProcessCpuMs(pid);
    if (from >= 0 && to >= 0 && to - from < 10) return true;
  }
  return false;
}

// Waits up to `ms` until keys typed go to the window: it has the server's
// focus, or the focus is the root (as after a dialog closed) and the
// pointer is over it. Keys typed before go to the window before.
inline bool WaitFocus(xcb_window_t w, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    auto* f = xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr);
    bool has = f && f->focus == w;
    if (f && !has && (f->focus == root || f->focus == XCB_INPUT_FOCUS_POINTER_ROOT)) {
      auto* p = xcb_query_pointer_reply(conn, xcb_query_pointer(conn, root), nullptr);
      has = p && p->child == w;
      std::free(p);
    }
    std::free(f);
    if (has) return true;
    Sleep(20);
  }
  return false;
}

inline void Click(xcb_window_t w, int cx, int cy) {
  int x = 0, y = 0, width = 0, height = 0;
  Geometry(w, x, y, width, height);
  xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x + cx),
                      static_cast<int16_t>(y + cy), 0);
  xcb_flush(conn);
  Sleep(100);
  xcb_test_fake_input(conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
  Sleep(50);
  xcb_test_fake_input(conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
}

// Asks the window to close as a window manager's close button does.
inline void CloseWindow(xcb_window_t w) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = Atom("WM_PROTOCOLS");
  ev.data.data32[0] = Atom("WM_DELETE_WINDOW");
  ev.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(conn, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  xcb_flush(conn);
}

// Connects to the X server of DISPLAY; false when there is none.
inline bool Connect() {
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) return false;
  root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
  return true;
}

// Starts the program (as Spawn) and waits for its main window; 0, with the
// program killed, when none appears within 30 s.
inline xcb_window_t StartProgram(const std::string& program, pid_t& pid) {
  pid = Spawn(program);
  const xcb_window_t w = FindProgramWindow(30000);
  if (!w) kill(pid, SIGKILL);
  return w;
}

// Closes the program's main window as a user does and waits for its end:
// 0, or the failure (the program killed when it did not end).
inline int CloseAndAwaitEnd(xcb_window_t w, pid_t pid) {
  CloseWindow(w);
  const int end = WaitFor(pid, 15000);
  if (end < 0) kill(pid, SIGKILL);
  if (end != 0) return Fail("the program did not end when its window was closed (" + std::to_string(end) + ")");
  xcb_disconnect(conn);
  return 0;
}

}  // namespace x11user


namespace x11user {

// The first viewable top-level window whose name starts with `prefix`
// (UTF-8), waiting up to `ms`; 0 when none came.
inline xcb_window_t FindWindowNamed(const std::string& prefix, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    for (xcb_window_t w : Stack())
      if (Viewable(w) && WindowName(w).rfind(prefix, 0) == 0) return w;
    Sleep(50);
  }
  return 0;
}

// Waits until no viewable window's name starts with the prefix.
inline bool WaitGone(const std::string& prefix, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    if (!FindWindowNamed(prefix, 0)) return true;
    Sleep(50);
  }
  return false;
}

// The key code that types a key symbol without shift (0 when none).
inline xcb_keycode_t KeyCodeOf(uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(conn);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto* r = xcb_get_keyboard_mapping_reply(
      conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
  if (!r) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
  xcb_keycode_t code = 0;
  for (int i = 0; i < count && !code; ++i)
    if (syms[i * r->keysyms_per_keycode] == keysym) code = static_cast<xcb_keycode_t>(setup->min_keycode + i);
  std::free(r);
  return code;
}

inline void Key(uint32_t keysym, bool down) {
  xcb_test_fake_input(conn, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, KeyCodeOf(keysym), XCB_CURRENT_TIME, XCB_NONE, 0,
                      0, 0);
  xcb_flush(conn);
  Sleep(30);
}

// A key pressed and released, with a held modifier key symbol (0 none).
inline void Press(uint32_t keysym, uint32_t modifier = 0) {
  if (modifier) Key(modifier, true);
  Key(keysym, true);
  Key(keysym, false);
  if (modifier) Key(modifier, false);
}

// Lower-case letters, digits and "." typed one by one.
inline void Type(const std::string& text) {
  for (char c : text) Press(static_cast<unsigned char>(c));
}

constexpr uint32_t kTab = 0xff09, kReturn = 0xff0d, kEscape = 0xff1b, kHome = 0xff50, kUp = 0xff52,
                   kAlt = 0xffe9;

}  // namespace x11user

namespace x11user {

// The key code and shift state that type a key symbol: its first or
// second column in the server's keyboard map; false when no key has it.
inline bool KeyOf(uint32_t keysym, xcb_keycode_t& code, bool& shift) {
  const xcb_setup_t* setup = xcb_get_setup(conn);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto* r = xcb_get_keyboard_mapping_reply(
      conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
  if (!r) return false;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
  bool found = false;
  for (int column = 0; column < std::min<int>(2, r->keysyms_per_keycode) && !found; ++column)
    for (int i = 0; i < count && !found; ++i)
      if (syms[i * r->keysyms_per_keycode + column] == keysym) {
        code = static_cast<xcb_keycode_t>(setup->min_keycode + i);
        shift = column == 1;
        found = true;
      }
  std::free(r);
  return found;
}

// Printable ASCII typed as on a keyboard, capitals and signs with Shift;
// false (nothing more typed) at the first character no key has.
inline bool TypeText(const std::string& text) {
  constexpr uint32_t kShift = 0xffe1;
  for (char c : text) {
    xcb_keycode_t code = 0;
    bool shift = false;
    if (!KeyOf(static_cast<unsigned char>(c), code, shift)) return false;
    if (shift) Key(kShift, true);
    for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
      xcb_test_fake_input(conn, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
      xcb_flush(conn);
      Sleep(15);
    }
    if (shift) Key(kShift, false);
  }
  return true;
}

// A key symbol by its X name ("Return", "F4", "Home", "a" ...); 0 unknown.
inline uint32_t KeySymNamed(const std::string& name) {
  static const std::pair<const char*, uint32_t> kNames[] = {
      {"BackSpace", 0xff08}, {"Tab", 0xff09},    {"Return", 0xff0d},  {"Escape", 0xff1b}, {"Home", 0xff50},
      {"Left", 0xff51},      {"Up", 0xff52},     {"Right", 0xff53},   {"Down", 0xff54},   {"Prior", 0xff55},
      {"Next", 0xff56},      {"End", 0xff57},    {"Delete", 0xffff},  {"space", 0x20},    {"Shift", 0xffe1},
      {"Control", 0xffe3},   {"Alt", 0xffe9}};
  for (const auto& [n, sym] : kNames)
    if (name == n) return sym;
  if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1])))
    return 0xffbe + static_cast<uint32_t>(std::atoi(name.c_str() + 1)) - 1;
  return name.size() == 1 ? static_cast<unsigned char>(name[0]) : 0;
}

}  // namespace x11user
