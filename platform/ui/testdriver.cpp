// Headless test driver and window host.
#include "platform/ui/testdriver.h"

#include "platform/ui/menus.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/gfx/device.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/timers.h"

namespace {
// Virtual key and Shift for a character on the German layout (0: none; the
// character is then delivered as typed text only).
std::pair<int, bool> KeyFor(unsigned char ch) {
  if (ch >= 'a' && ch <= 'z') return {ch - 32, false};
  if (ch >= 'A' && ch <= 'Z') return {ch, true};
  if (ch >= '0' && ch <= '9') return {ch, false};
  switch (ch) {
    case ' ': return {VK_SPACE, false};
    case 0xE4: return {VK_OEM_7, false};   // ä
    case 0xC4: return {VK_OEM_7, true};
    case 0xF6: return {VK_OEM_3, false};   // ö
    case 0xD6: return {VK_OEM_3, true};
    case 0xFC: return {VK_OEM_1, false};   // ü
    case 0xDC: return {VK_OEM_1, true};
    case 0xDF: return {VK_OEM_4, false};   // ß
    case '?': return {VK_OEM_4, true};
    case ',': return {VK_OEM_COMMA, false};
    case ';': return {VK_OEM_COMMA, true};
    case '.': return {VK_OEM_PERIOD, false};
    case ':': return {VK_OEM_PERIOD, true};
    case '-': return {VK_OEM_MINUS, false};
    case '_': return {VK_OEM_MINUS, true};
    case '+': return {VK_OEM_PLUS, false};
    case '*': return {VK_OEM_PLUS, true};
    case '#': return {VK_OEM_2, false};
    case '\'': return {VK_OEM_2, true};
    case '!': return {'1', true};
    case '"': return {'2', true};
    case '$': return {'4', true};
    case '%': return {'5', true};
    case '&': return {'6', true};
    case '/': return {'7', true};
    case '(': return {'8', true};
    case ')': return {'9', true};
    case '=': return {'0', true};
    case '\r': return {VK_RETURN, false};
    case '\t': return {VK_TAB, false};
    case '\b': return {VK_BACK, false};
    default: return {0, false};
  }
}

// The character a key types on the German layout with Shift (letters,
// digits, umlauts and the keys above).
char32_t TypedFor(int vk, bool shift) {
  for (int c = 32; c < 256; ++c) {
    auto [k, s] = KeyFor(static_cast<unsigned char>(c));
    if (k == vk && s == shift) return Cp1252ToUnicode(static_cast<unsigned char>(c));
  }
  return 0;
}

// A window of the headless host: it keeps what it is told and shows nothing.
class THeadlessWindow : public THostWindow {
 public:
  void SetTitle(const AnsiString&) override {}
  void SetFlags(unsigned) override {}
  void SetGeometry(int, int, int, int) override {}
  void SetMinMaxClientSize(int, int, int, int) override {}
  void Show(bool) override {}
  void Hide() override {}
  void SetState(int) override {}
  void Raise() override {}
  void Flush(int, int, int, int) override {}
  void SetCaret(bool visible, int x, int y, int, int) override {
    caretVisible_ = visible;
    caretX_ = x;
    caretY_ = y;
  }
  bool CaretShown(int& x, int& y) const override {
    x = caretX_;
    y = caretY_;
    return caretVisible_;
  }
  void SetCursorShape(int) override {}
  void SetCursorImage(int, int, int, int, const std::uint32_t*) override {}

 private:
  bool caretVisible_ = false;
  int caretX_ = 0, caretY_ = 0;
};

}  // namespace

TUiTestDriver::TUiTestDriver() {
  if (Application) throw EInvalidOperation("The test driver must come before any form");
  scope_ = "headless." + std::to_string(::getpid());
  hostBefore_ = SetWindowHost(this);
  InitUi();
  Timers().UseVirtualClock(true);
  keyboard::ResetAll();
}

TUiTestDriver::~TUiTestDriver() {
  ShutdownUi();
  Timers().UseVirtualClock(false);
  keyboard::ResetAll();
  SetWindowHost(hostBefore_);
}

std::unique_ptr<THostWindow> TUiTestDriver::CreateWindow(TSurface*, std::function<void(const THostInput&)>) {
  return std::make_unique<THeadlessWindow>();
}

void TUiTestDriver::WaitForInput(int) {
  if (!MessageQueue().Empty()) return;  // an idle handler posted something
  if (modalSteps_.empty()) throw EInvalidOperation("A modal loop is waiting for input that the test did not script");
  auto step = std::move(modalSteps_.front());
  modalSteps_.pop_front();
  TCustomForm* f = Screen->ActiveForm();
  if (!f) throw EInvalidOperation("No active form for the scripted modal step");
  step(*f);
}

bool TUiTestDriver::AnswerMessageBox(const TMessageBoxRequest& r, int& answer) {
  boxes_.push_back(r);
  if (boxAnswers_.empty()) {
    ++unexpectedBoxes_;
    unsigned kind = r.Flags & 0xF;
    answer = kind == MB_YESNO || kind == MB_YESNOCANCEL ? IDYES : IDOK;
    return true;
  }
  answer = boxAnswers_.front();
  boxAnswers_.pop_front();
  return true;
}

bool TUiTestDriver::FileDialog(const TFileDialogRequest& r, AnsiString& name, const std::function<void()>&) {
  fileDialogs_.push_back(r);
  if (fileAnswers_.empty()) return false;
  FileAnswer a = fileAnswers_.front();
  fileAnswers_.pop_front();
  if (a.ok) name = a.name;
  return a.ok;
}

void TUiTestDriver::SetClipboard(const std::vector<std::pair<std::string, std::string>>& formats,
                                 const THostImage* image) {
  clipboard_.clear();
  for (const auto& [mime, bytes] : formats) clipboard_[mime] = bytes;
  clipboardImage_ = image ? *image : THostImage{};
}

bool TUiTestDriver::ClipboardData(const std::string& mime, std::string& bytes) const {
  auto it = clipboard_.find(mime);
  if (it == clipboard_.end()) return false;
  bytes = it->second;
  return true;
}

bool TUiTestDriver::ClipboardImage(THostImage& image) const {
  if (clipboardImage_.Width <= 0 || clipboardImage_.Height <= 0) return false;
  image = clipboardImage_;
  return true;
}

bool TUiTestDriver::OpenUrl(const AnsiString& url) {
  openedUrls_.push_back(url);
  return true;
}

std::string TUiTestDriver::ArtifactDir() {
  // Under the build tree: ORV_BINARY_DIR when set, else beside the test program.
  const char* b = std::getenv("ORV_BINARY_DIR");
  std::string base = b ? b : std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
  std::string dir = base + "/test-artifacts/ui";
  std::filesystem::create_directories(dir);
  return dir;
}

TPoint TUiTestDriver::FormPoint(TControl* c, int x, int y, TCustomForm*& form) {
  form = GetParentForm(c);
  if (!form) throw EInvalidOperation("The control is not on a form");
  if (x < 0 && y < 0) {
    TRect r = c->ClientRect();
    x = r.Width() / 2;
    y = r.Height() / 2;
  }
  TPoint s = c->ClientToScreen({x, y});
  return form->ScreenToClient(s);
}

void TUiTestDriver::Mouse(TControl* c, int kind, TMouseButton b, int x, int y) {
  TCustomForm* form = nullptr;
  TPoint p = FormPoint(c, x, y, form);
  Application->DeliverMouse(form, kind, b, p.X, p.Y);
}

void TUiTestDriver::Modifiers(TShiftState shift, bool down) {
  if (down) {
    if (shift & ssShift) keyboard::SetKeyDown(VK_SHIFT, true);
    if (shift & ssCtrl) keyboard::SetKeyDown(VK_CONTROL, true);
    if (shift & ssAlt) keyboard::SetKeyDown(VK_MENU, true);
  } else {
    if (shift & ssAlt) keyboard::SetKeyDown(VK_MENU, false);
    if (shift & ssCtrl) keyboard::SetKeyDown(VK_CONTROL, false);
    if (shift & ssShift) keyboard::SetKeyDown(VK_SHIFT, false);
  }
}

void TUiTestDriver::Click(TControl* c, int x, int y, TShiftState shift) {
  Modifiers(shift, true);
  Mouse(c, mkMove, mbLeft, x, y);
  Mouse(c, mkDown, mbLeft, x, y);
  Mouse(c, mkUp, mbLeft, x, y);
  Modifiers(shift, false);
  Process();
}

void TUiTestDriver::Wheel(TControl* c, int notches, int x, int y) {
  for (int i = 0; i < std::abs(notches); ++i) Mouse(c, notches > 0 ? mkWheelUp : mkWheelDown, mbLeft, x, y);
  Process();
}

void TUiTestDriver::RightClick(TControl* c, int x, int y) {
  Mouse(c, mkMove, mbRight, x, y);
  Mouse(c, mkDown, mbRight, x, y);
  Mouse(c, mkUp, mbRight, x, y);
  Process();
}

void TUiTestDriver::DoubleClick(TControl* c, int x, int y) {
  Mouse(c, mkMove, mbLeft, x, y);
  Mouse(c, mkDown, mbLeft, x, y);
  Mouse(c, mkUp, mbLeft, x, y);
  Mouse(c, mkDblClick, mbLeft, x, y);
  Mouse(c, mkUp, mbLeft, x, y);
  Process();
}

void TUiTestDriver::MouseDown(TControl* c, int x, int y, TMouseButton b, TShiftState shift) {
  Modifiers(shift, true);
  Mouse(c, mkDown, b, x, y);
  Modifiers(shift, false);
}

void TUiTestDriver::MouseMove(TControl* c, int x, int y, TShiftState shift) {
  Modifiers(shift, true);
  Mouse(c, mkMove, mbLeft, x, y);
  Modifiers(shift, false);
}

void TUiTestDriver::MouseUp(TControl* c, int x, int y, TMouseButton b, TShiftState shift) {
  Modifiers(shift, true);
  Mouse(c, mkUp, b, x, y);
  Modifiers(shift, false);
  Process();
}

void TUiTestDriver::Drag(TControl* c, TPoint from, TPoint to, int steps) {
  if (steps < 1) steps = 1;
  Mouse(c, mkMove, mbLeft, from.X, from.Y);
  Mouse(c, mkDown, mbLeft, from.X, from.Y);
  for (int i = 1; i <= steps; ++i)
    Mouse(c, mkMove, mbLeft, from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps);
  Mouse(c, mkUp, mbLeft, to.X, to.Y);
  Process();
}

void TUiTestDriver::KeyDown(int vk, TShiftState shift) {
  Modifiers(shift, true);
  bool letterLike = !(shift & (ssCtrl | ssAlt));
  char32_t typed = letterLike ? TypedFor(vk, (shift & ssShift) != 0) : 0;
  if (shift & ssAlt && !(shift & ssCtrl)) typed = TypedFor(vk, (shift & ssShift) != 0);
  Application->DeliverKey(vk, true, typed);
}

void TUiTestDriver::KeyUp(int vk, TShiftState shift) {
  Application->DeliverKey(vk, false, 0);
  Modifiers(shift, false);
}

void TUiTestDriver::PressKey(int vk, TShiftState shift) {
  KeyDown(vk, shift);
  KeyUp(vk, shift);
  Process();
}

void TUiTestDriver::Type(const AnsiString& text) {
  for (unsigned char ch : text) {
    auto [vk, shift] = KeyFor(ch);
    if (shift) keyboard::SetKeyDown(VK_SHIFT, true);
    Application->DeliverKey(vk ? vk : 0xE7, true, Cp1252ToUnicode(ch));
    Application->DeliverKey(vk ? vk : 0xE7, false, 0);
    if (shift) keyboard::SetKeyDown(VK_SHIFT, false);
  }
  Process();
}

void TUiTestDriver::Advance(int ms) {
  // In small steps, so posted messages and painting interleave with ticks.
  int left = ms;
  while (left > 0) {
    int step = std::min(left, 10);
    Timers().Advance(step);
    left -= step;
    Application->ProcessMessages();
  }
}

void TUiTestDriver::Process() { Application->ProcessMessages(); }

std::string TUiTestDriver::SavePng(TControl* c, const std::string& name) {
  Process();
  TCustomForm* form = GetParentForm(c);
  if (!form || !form->Surface()) throw EInvalidOperation("The form has not been shown");
  form->PaintPending();
  const TSurface& s = *form->Surface();
  TSurface crop;
  // A form with a menu bar is saved as its window shows it, bar included.
  const TSurface* out = (c == form && form->WindowSurface()) ? form->WindowSurface() : &s;
  if (c != form) {
    TCustomForm* f = nullptr;
    TPoint o = FormPoint(c, 0, 0, f);
    int bw = c->IsWindowed() ? static_cast<TWinControl*>(c)->BorderWidth() : 0;
    const int k = s.Scale();
    TRect r = Bounds((o.X - bw) * k, (o.Y - bw) * k, c->Width() * k, c->Height() * k);
    IntersectRect(r, r, s.Bounds());
    crop.Resize(std::max(1, r.Width()), std::max(1, r.Height()));
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x) crop.Row(y)[x] = s.Row(r.Top + y)[r.Left + x];
    out = &crop;
  }
  TGfxPlatform* gp = GfxPlatform();
  if (!gp) throw EInvalidOperation("No graphics platform to encode PNG");
  std::vector<std::uint8_t> png = gp->EncodePng(*out);
  std::string path = ArtifactDir() + "/" + name + ".png";
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return path;
}

TColor TUiTestDriver::PixelAt(TControl* c, int x, int y) {
  Process();
  TCustomForm* form = nullptr;
  TPoint p = FormPoint(c, x, y, form);
  form->PaintPending();
  const TSurface* s = form->Surface();
  if (!s || !PtInRect(s->Extent(), p)) return clNone;
  return PixelToColor(s->Row(p.Y * s->Scale())[p.X * s->Scale()]);
}

void TUiTestDriver::ClickMenuBar(TCustomForm* form, int index) {
  TMainMenu* mm = nullptr;
  for (int i = 0; i < form->ComponentCount() && !mm; ++i) mm = dynamic_cast<TMainMenu*>(form->Components(i));
  if (!mm || form->MenuBarHeight() == 0) throw EInvalidOperation("The form shows no menu bar");
  auto layout = mm->BarLayout();
  if (index < 0 || index >= static_cast<int>(layout.size())) throw EInvalidOperation("No such menu bar item");
  TRect r = layout[static_cast<std::size_t>(index)].second;
  THostInput in;
  in.kind = THostInput::MouseDown;
  in.x = (r.Left + r.Right) / 2;
  in.y = (r.Top + r.Bottom) / 2;
  in.button = 0;
  form->HostInput(in);
  in.kind = THostInput::MouseUp;
  form->HostInput(in);
}
