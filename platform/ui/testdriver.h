// Headless test driver: drives forms without a display. The driver is the
// window host while it lives (constructing one is how a test selects the
// headless host): its windows show nothing, its clipboard is its own, and it
// opens no address but notes it. It switches the timer scheduler to a
// virtual clock, sends mouse and key input to controls at their own
// co-ordinates, answers message boxes and file dialogs from a script, runs
// scripted steps when a modal loop waits for input, and saves windows as PNG.
// Invariants: one driver at a time; its destructor frees every form and the
// application object, puts the clock and keyboard back and reinstalls the
// host that was there before.
//
//   TUiTestDriver d;                       // first, before any form
//   auto* f = new TMyDialog(Application);
//   d.WhenModal([&](TCustomForm&) {        // runs inside ShowModal
//     d.Type(CP1252("Müller").str());
//     d.AnswerNextMessageBox(IDYES);
//     d.Click(f->pbOk);
//   });
//   EXPECT_EQ(f->ShowModal(), mrOk);
//   d.SavePng(f, "my_dialog");             // test-artifacts/ui/ in the build tree
//
// Text passed to Type is Windows-1252, hence CP1252 for literals.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/ui/windowhost.h"

class TUiTestDriver : public TWindowHost {
 public:
  TUiTestDriver();
  ~TUiTestDriver() override;
  TUiTestDriver(const TUiTestDriver&) = delete;
  TUiTestDriver& operator=(const TUiTestDriver&) = delete;

  // Mouse, at a control's client co-ordinates (default: its centre). Points
  // may lie outside the control (drags, capture).
  void Click(TControl* c, int x = -1, int y = -1, TShiftState shift = 0);
  void RightClick(TControl* c, int x = -1, int y = -1);
  void DoubleClick(TControl* c, int x = -1, int y = -1);
  void MouseDown(TControl* c, int x, int y, TMouseButton b = mbLeft, TShiftState shift = 0);
  void MouseMove(TControl* c, int x, int y, TShiftState shift = 0);
  void MouseUp(TControl* c, int x, int y, TMouseButton b = mbLeft, TShiftState shift = 0);
  // Press at `from`, move in `steps` to `to`, release there.
  void Drag(TControl* c, TPoint from, TPoint to, int steps = 4);
  // Turns the mouse wheel over the control by `notches` (positive: away
  // from the user, upwards); the focused window receives it.
  void Wheel(TControl* c, int notches, int x = -1, int y = -1);
  // Clicks a top-level item of the form's menu bar (index among the
  // visible items); a drop-down runs its loop inside, so script its steps
  // with WhenModal first.
  void ClickMenuBar(TCustomForm* form, int index);

  // Keys: a virtual key with modifiers (the character it types on the German
  // layout follows); text typed character by character.
  void PressKey(int vk, TShiftState shift = 0);
  void KeyDown(int vk, TShiftState shift = 0);
  void KeyUp(int vk, TShiftState shift = 0);
  void Type(const AnsiString& text);

  // Time and messages.
  void Advance(int ms);
  void Process();

  // Message boxes and file dialogs: answers are used in order; a box without
  // a scripted answer is logged as unexpected and answered with its default.
  void AnswerNextMessageBox(int id) { boxAnswers_.push_back(id); }
  const std::vector<TMessageBoxRequest>& MessageBoxes() const { return boxes_; }
  int UnexpectedMessageBoxes() const { return unexpectedBoxes_; }
  void AnswerNextFileDialog(const AnsiString& fileName) { fileAnswers_.push_back({true, fileName}); }
  void CancelNextFileDialog() { fileAnswers_.push_back({false, {}}); }
  const std::vector<TFileDialogRequest>& FileDialogs() const { return fileDialogs_; }

  // Steps run, in order, each time a modal loop has nothing left to do; the
  // argument is the active form. A loop that starves without a step raises.
  void WhenModal(std::function<void(TCustomForm&)> step) { modalSteps_.push_back(std::move(step)); }

  // Addresses handed to the opener, in order.
  const std::vector<AnsiString>& OpenedUrls() const { return openedUrls_; }

  // Pictures: paints what is pending and saves the form's client area (or a
  // control's part of it) as PNG, in the screen's pixels; returns the path
  // written.
  std::string SavePng(TControl* c, const std::string& name);
  // The colour of a pixel at a control's client co-ordinates (after
  // painting; on a scaled screen the unit's top-left pixel).
  TColor PixelAt(TControl* c, int x, int y);
  static std::string ArtifactDir();

 private:
  // The window host's side (windowhost.h).
  std::unique_ptr<THostWindow> CreateWindow(TSurface* surface, std::function<void(const THostInput&)> sink) override;
  void PumpEvents() override {}
  void WaitForInput(int maxMs) override;
  // The screen of the toolkit's offscreen platform, so pictures match.
  int ScreenWidth() const override { return 800; }
  int ScreenHeight() const override { return 800; }
  void Beep() override {}  // MessageBeep counts beeps itself
  bool AnswerMessageBox(const TMessageBoxRequest& request, int& answer) override;
  bool FileDialog(const TFileDialogRequest& request, AnsiString& fileName, const std::function<void()>& service) override;
  void SetClipboard(const std::vector<std::pair<std::string, std::string>>& formats, const THostImage* image) override;
  bool ClipboardData(const std::string& mime, std::string& bytes) const override;
  bool ClipboardImage(THostImage& image) const override;
  bool OpenUrl(const AnsiString& url) override;
  // The driver's own: a forked child of the test meets its parent, nothing else does.
  std::string InstanceScope() const override { return scope_; }

  void Modifiers(TShiftState shift, bool down);
  TPoint FormPoint(TControl* c, int x, int y, TCustomForm*& form);
  void Mouse(TControl* c, int kind, TMouseButton b, int x, int y);

  std::deque<int> boxAnswers_;
  std::vector<TMessageBoxRequest> boxes_;
  int unexpectedBoxes_ = 0;
  struct FileAnswer {
    bool ok;
    AnsiString name;
  };
  std::deque<FileAnswer> fileAnswers_;
  std::vector<TFileDialogRequest> fileDialogs_;
  std::deque<std::function<void(TCustomForm&)>> modalSteps_;
  std::map<std::string, std::string> clipboard_;
  THostImage clipboardImage_;
  std::vector<AnsiString> openedUrls_;
  TWindowHost* hostBefore_ = nullptr;
  std::string scope_;
};
