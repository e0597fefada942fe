// The screen and the application object: the message loop (host input,
// posted messages, timers, painting, idle), exceptions of event handlers,
// message boxes and file dialogs through the window host, help texts, the
// single-instance registration, minimising, and hints.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

// ------------------------------------------------------------------ TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}
TScreen::~TScreen() = default;

int TScreen::Width() const { return WindowHost().ScreenWidth(); }
int TScreen::Height() const { return WindowHost().ScreenHeight(); }

TWinControl* TScreen::ActiveControl() const { return FindControl(GetFocus()); }

int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(forms_.begin(), forms_.end(), [](TCustomForm* f) { return !f->IsPopup(); }));
}

TCustomForm* TScreen::Forms(int i) const {
  for (TCustomForm* f : forms_)
    if (!f->IsPopup() && i-- == 0) return f;
  throw EListError("Form index out of range");
}

TStrings* TScreen::Fonts() {
  if (!fonts_) {
    fonts_ = std::make_unique<TStringList>();
    fonts_->SetSorted(true);
    fonts_->SetDuplicates(dupIgnore);
    for (const std::string& f : FontEngine().Families()) {
      AnsiString a;
      if (Utf8ToCp1252(f, a)) fonts_->Add(a);  // names outside Windows-1252 cannot be chosen
    }
  }
  return fonts_.get();
}

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  ui_internal::CursorMayHaveChanged();
}

void TScreen::SetCursors(int index, const TCursorImage& image) { cursors_[index] = image; }
bool TScreen::HasCursor(int index) const { return index <= 0 || cursors_.count(index) != 0; }
const TScreen::TCursorImage* TScreen::CursorImage(int index) const {
  auto it = cursors_.find(index);
  return it == cursors_.end() ? nullptr : &it->second;
}

TCursor TScreen::CursorFor(const TControl* c) const {
  if (cursor_ != crDefault) return cursor_;
  for (; c; c = c->Parent())
    if (c->Cursor() != crDefault) return c->Cursor();
  return crDefault;
}

// -------------------------------------------------------------- TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) { title_ = "Orvelan"; }

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
  if (hintTimer_) Timers().KillTimer(hintTimer_);
  delete hintWindow_;
  hintWindow_ = nullptr;
}

void TApplication::Initialize() { InitUi(); }

void TApplication::RegisterCreated(TCustomForm* f) {
  if (!mainForm_) mainForm_ = f;
  f->AfterConstruction();
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() { PostMessage(0, WM_QUIT, 0, 0); }

void TApplication::Guard(TObject* sender, const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    HandleException(sender);
  }
}

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr p = std::current_exception();
  if (!p) return;
  try {
    std::rethrow_exception(p);
  } catch (const EAbort&) {
    return;
  } catch (const Exception& e) {
    if (inException_) return;
    inException_ = true;
    try {
      if (OnException)
        OnException(sender, e);
      else
        ShowException(e);
    } catch (...) {
    }
    inException_ = false;
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (inException_) return;
    inException_ = true;
    try {
      if (OnException)
        OnException(sender, wrapped);
      else
        ShowException(wrapped);
    } catch (...) {
    }
    inException_ = false;
  } catch (...) {
    Exception unknown("Unbekannter Fehler");
    ShowException(unknown);
  }
}

void TApplication::ShowException(const Exception& e) {
  AnsiString msg = e.Message();
  if (!msg.empty() && msg.back() > '.') msg += '.';
  MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
  return MessageBox(TMessageBoxRequest{text, caption, flags, {}});
}

int TApplication::MessageBox(const TMessageBoxRequest& request) {
  int answer = 0;
  if (WindowHost().AnswerMessageBox(request, answer)) return answer;
  // Our own dialog form, so that it looks like the rest of the program.
  return RunMessageDialog(request.Text, request.Caption, request.Flags, request.Shown);
}

bool TApplication::ExecuteFileDialog(const TFileDialogRequest& req, AnsiString& fileName) {
  NormalizeTopMosts();
  TScopeExit restore{[this] { RestoreTopMosts(); }};
  return WindowHost().FileDialog(req, fileName, [this] { ServiceNativeModal(); });
}

bool TApplication::HelpContext(int context) {
  auto it = helpTexts_.find(context);
  if (it != helpTexts_.end()) {
    MessageBox(it->second, title_, MB_OK | MB_ICONINFORMATION);
    return true;
  }
  if (!helpFile_.empty()) {
    const AnsiString name = "Die Hilfedatei \"" + ShownFileName(ExtractFileName(helpFile_)) + "\"";
    if (!FileExists(helpFile_)) {
      MessageBox(name + " wurde nicht gefunden.", title_, MB_OK | MB_ICONINFORMATION);
      return false;
    }
    if (HasWindowHost() && WindowHost().OpenUrl(helpFile_)) return true;
    MessageBox(name + " kann nicht angezeigt werden.", title_, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  MessageBox(CP1252("Für dieses Programm ist keine Hilfe installiert.").str(), title_, MB_OK | MB_ICONINFORMATION);
  return false;
}

bool TApplication::RegisterInstance(const AnsiString& className) { return instance_.Register(className); }

bool TApplication::RegisterWindowClass(const AnsiString& className, TCustomForm* form) {
  auto reg = std::make_unique<TInstanceRegistration>();
  if (!reg->Register(className)) return false;
  classWindows_.push_back({std::move(reg), form->Handle(), form});
  return true;
}

void TApplication::UnregisterWindowClass(TCustomForm* form) {
  classWindows_.erase(std::remove_if(classWindows_.begin(), classWindows_.end(),
                                     [form](const ClassWindow& w) { return w.form == form; }),
                      classWindows_.end());
}

void TApplication::Minimize() {
  if (minimized_) return;
  minimized_ = true;
  if (Screen)
    for (TCustomForm* f : Screen->forms_)
      if (f->native_ && f->Showing()) f->native_->SetState(1);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (!minimized_) return;
  minimized_ = false;
  if (Screen)
    for (TCustomForm* f : Screen->forms_)
      if (f->native_ && f->Showing()) f->native_->SetState(f->windowState_ == wsMaximized ? 2 : 0);
  if (OnRestore) OnRestore(this);
}

bool IsIconic(HWND wnd) {
  if (Application && wnd == Application->Handle()) return Application->Minimized();
  auto* f = dynamic_cast<TCustomForm*>(FindControl(wnd));
  return f && f->WindowState() == wsMinimized;
}

void TApplication::BringToFront() {
  TCustomForm* f = Screen ? Screen->activeForm_ : nullptr;
  if (!f) f = mainForm_;
  if (f && f->Showing()) {
    f->BringToFront();
    ActivateForm(f);
  }
}

void TApplication::ActivateForm(TCustomForm* f) {
  if (!f || !Screen) return;
  for (TCustomForm* g : Screen->forms_)
    if (g != f && g->active_) g->SetActive(false);
  f->SetActive(true);
}

void TApplication::NormalizeTopMosts() {
  if (normalizedTopMosts_++ > 0) return;
  SyncTopMosts();
  // A window manager puts a window that leaves the top below the one that
  // has the keyboard.
  LiftTopMosts();
}

void TApplication::RestoreTopMosts() {
  if (normalizedTopMosts_ > 0 && --normalizedTopMosts_ == 0) SyncTopMosts();
}

void TApplication::LiftTopMosts() {
  if (!Screen) return;
  for (TCustomForm* f : Screen->forms_)
    if (f->formStyle_ == fsStayOnTop && !f->modal_ && f->native_ && f->Showing()) f->native_->Lift();
}

void TApplication::SyncTopMosts() {
  if (!Screen) return;
  for (TCustomForm* f : Screen->forms_)
    if (f->formStyle_ == fsStayOnTop) f->SyncNative();
}

void TApplication::ServiceNativeModal() {
  // Inside a toolkit dialog's loop: no toolkit pumping of our own.
  if (inService_) return;
  inService_ = true;
  TScopeExit served{[this] { inService_ = false; }};
  // A second start waits for this instance's answer meanwhile.
  TakeKnocks();
  Guard(this, [this] {
    TQueuedMessage qm;
    int budget = 100;  // bounded, so the dialog stays responsive
    while (budget-- > 0 && MessageQueue().Peek(qm, 0, 0, 0, true)) {
      if (qm.Wnd == 0) {
        if (qm.Message.Msg == WM_QUIT) terminated_ = true;
        continue;
      }
      SendMessage(qm.Wnd, qm.Message.Msg, qm.Message.WParam, qm.Message.LParam);
    }
    if (!Timers().VirtualClock()) Timers().FireDue();
    PaintAll();
  });
  // The run ends as from any other window: the host's dialog goes first.
  if (terminated_) WindowHost().EndFileDialog();
}

namespace {

// The signal pipe: written by the handler, read by the loop.
int gSignalPipe[2] = {-1, -1};

void WriteSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void TApplication::SetEndOnTerminationSignals(bool on) {
  if (on == (gSignalPipe[0] >= 0)) return;
  struct sigaction sa = {};
  sigemptyset(&sa.sa_mask);
  if (on) {
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
      gSignalPipe[0] = gSignalPipe[1] = -1;
      return;
    }
    sa.sa_handler = WriteSignal;
    sa.sa_flags = SA_RESTART;
    signalsWatched_ = HasWindowHost() && WindowHost().WatchDescriptor(gSignalPipe[0], true);
  } else {
    sa.sa_handler = SIG_DFL;
  }
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &sa, nullptr);
  if (HasWindowHost()) {
    WindowHost().OnEndSession = on ? std::function<bool()>([this] { return QueryEndSession(); }) : nullptr;
    WindowHost().OnSessionEnded = on ? std::function<void()>([this] { Terminate(); }) : nullptr;
  }
  if (!on) {
    if (signalsWatched_ && HasWindowHost()) WindowHost().WatchDescriptor(gSignalPipe[0], false);
    signalsWatched_ = false;
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    gSignalPipe[0] = gSignalPipe[1] = -1;
  }
}

bool TApplication::QueryEndSession() {
  const std::vector<TCustomForm*> forms = Screen ? Screen->forms_ : std::vector<TCustomForm*>();
  for (auto f = forms.rbegin(); f != forms.rend(); ++f) {
    const auto& now = Screen->forms_;
    if (std::find(now.begin(), now.end(), *f) == now.end() || !(*f)->Showing()) continue;
    bool stays = true;  // a save that fails keeps the window, as at closing
    Guard(*f, [&] { stays = !(*f)->CloseQuery(); });
    if (stays) return false;
  }
  return true;
}

void TApplication::TakeKnocks() {
  char bytes[16];
  bool asked = false;
  while (gSignalPipe[0] >= 0 && ::read(gSignalPipe[0], bytes, sizeof bytes) > 0) asked = true;
  if (asked) Terminate();
  if (instance_.Registered())
    instance_.Poll([this](unsigned msg) {
      Guard(this, [&] {
        if (OnInstanceMessage) OnInstanceMessage(msg);
      });
    });
  for (std::size_t i = 0; i < classWindows_.size(); ++i) {
    HWND wnd = classWindows_[i].wnd;
    classWindows_[i].reg->Poll([wnd](unsigned msg) { PostMessage(wnd, msg, 0, 0); });
  }
}

bool TApplication::ProcessMessage() {
  WindowHost().PumpEvents();
  TakeKnocks();
  TQueuedMessage qm;
  if (MessageQueue().Peek(qm, 0, 0, 0, true)) {
    if (qm.Wnd == 0) {
      if (qm.Message.Msg == WM_QUIT) terminated_ = true;
      return true;
    }
    SendMessage(qm.Wnd, qm.Message.Msg, qm.Message.WParam, qm.Message.LParam);
    return true;
  }
  if (!Timers().VirtualClock()) {
    int fired = 0;
    Guard(this, [&] { fired = Timers().FireDue(); });
    if (fired) return true;
  }
  return false;
}

void TApplication::PaintAll() {
  if (!Screen) return;
  std::vector<TCustomForm*> forms = Screen->forms_;
  for (TCustomForm* f : forms)
    if (std::find(Screen->forms_.begin(), Screen->forms_.end(), f) != Screen->forms_.end()) f->PaintPending();
}

void TApplication::Idle() {
  PaintAll();
  bool done = true;
  if (OnIdle) Guard(this, [&] { OnIdle(this, done); });
  // Sleep until input, the next timer, a second start's knock or a
  // termination signal. Only what the host cannot watch is looked for now
  // and then.
  bool polled = (instance_.Registered() && !instance_.WakesHost()) || (gSignalPipe[0] >= 0 && !signalsWatched_);
  for (const ClassWindow& w : classWindows_) polled = polled || !w.reg->WakesHost();
  std::int64_t next = Timers().MillisecondsToNext();
  if (polled) next = next < 0 ? 50 : std::min<std::int64_t>(next, 50);
  WindowHost().WaitForInput(static_cast<int>(std::min<std::int64_t>(next, INT32_MAX)));
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
  PaintAll();
}

// --- hints

void TApplication::CancelHint() {
  if (hintTimer_) Timers().KillTimer(hintTimer_);
  hintTimer_ = 0;
  hintControl_ = nullptr;
  currentHint_.clear();
  if (hintWindow_) hintWindow_->Hide();
}

namespace {
// The short part of a hint ("short|long").
AnsiString ShortHint(const AnsiString& h) {
  auto bar = h.find('|');
  return bar == AnsiString::npos ? h : h.substr(0, bar);
}

class THintWindow : public TCustomForm {
 public:
  explicit THintWindow(TComponent* owner) : TCustomForm(owner) {
    borderStyle_ = bsNone;
    popup_ = true;
    color_ = clInfoBk;
    OnPaint = [this](TObject*) {
      TCanvas* c = Canvas();
      c->Font()->SetColor(clInfoText);
      c->Brush()->SetStyle(bsClear);
      c->TextOut(3, 2, Text());
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clBlack);
      c->FrameRect(ClientRect());
    };
  }
};
}  // namespace

void TApplication::UpdateHint(TControl* over, TPoint screenPos) {
  TControl* c = over;
  while (c && ShortHint(c->Hint()).empty() && c->Parent()) c = c->Parent();
  bool wants = c && showHint_ && c->EffectiveShowHint() && !ShortHint(c->Hint()).empty();
  if (!wants) {
    if (hintControl_) CancelHint();
    return;
  }
  if (c == hintControl_) return;
  CancelHint();
  hintControl_ = c;
  hintPos_ = screenPos;
  hintTimer_ = Timers().SetTimer(0, static_cast<unsigned>(hintPause_), [this] {
    Timers().KillTimer(hintTimer_);
    hintTimer_ = 0;
    if (!hintControl_) return;
    currentHint_ = ShortHint(hintControl_->Hint());
    if (!hintWindow_) hintWindow_ = new THintWindow(nullptr);
    hintWindow_->SetText(currentHint_);
    int w = hintWindow_->Font()->Data().TextWidth(currentHint_.data(), currentHint_.size()) + 8;
    int h = hintWindow_->Font()->Data().Metric.tmHeight + 6;
    hintWindow_->SetBounds(hintPos_.X, hintPos_.Y + 20, w, h);
    hintWindow_->Show();
    // The hint goes after a while; it does not come back until the mouse
    // has left the control.
    hintTimer_ = Timers().SetTimer(0, static_cast<unsigned>(hintHidePause_), [this] {
      Timers().KillTimer(hintTimer_);
      hintTimer_ = 0;
      currentHint_.clear();
      if (hintWindow_) hintWindow_->Hide();
    });
  });
}
