// Forms and the application: nested modal loops, closing, exceptions in
// handlers, messages to freed controls, form geometry and single instance.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/ui/timers.h"
#include "platform/ui/singleinstance.h"
#include "tests/ui/ui_test_util.h"

namespace {

TButton* AddButton(TForm* f, TModalResult r, const char* caption) {
  auto* b = new TButton(f);
  b->SetParent(f);
  b->SetCaption(caption);
  b->SetModalResult(r);
  return b;
}

TEST(Modal, NestedLoopsReturnTheirOwnResults) {
  TUiTestDriver d;
  TForm* outer = MakeForm();
  TButton* outerOk = AddButton(outer, mrOk, "OK");
  TForm* inner = MakeForm();
  TButton* innerNo = AddButton(inner, mrNo, "Nein");
  std::vector<std::string> trace;
  int innerResult = -1;
  outer->OnShow = [&](TObject*) { trace.push_back("outer shown"); };
  // First step runs inside the outer loop: open the inner dialog.
  d.WhenModal([&](TCustomForm& active) {
    EXPECT_EQ(&active, outer);
    EXPECT_EQ(Application->ModalLevel(), 1);
    innerResult = inner->ShowModal();
    trace.push_back("inner returned");
  });
  // Second step runs inside the inner loop: answer it.
  d.WhenModal([&](TCustomForm& active) {
    EXPECT_EQ(&active, inner);
    EXPECT_EQ(Application->ModalLevel(), 2);
    int beeps = keyboard::BeepCount();
    d.Click(outerOk);  // the outer form takes no input while the inner one is modal
    EXPECT_EQ(outer->ModalResult(), mrNone);
    EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
    EXPECT_GE(GetKeyState(VK_LBUTTON), 0);  // the button is up again all the same
    THostInput close;
    close.kind = THostInput::CloseRequest;
    outer->HostInput(close);  // nor its window's close button
    EXPECT_EQ(outer->ModalResult(), mrNone);
    d.Click(innerNo);
  });
  d.WhenModal([&](TCustomForm& active) {
    EXPECT_EQ(&active, outer);
    d.PressKey(VK_TAB);
    d.Click(outerOk);
  });
  EXPECT_EQ(outer->ShowModal(), mrOk);
  EXPECT_EQ(innerResult, mrNo);
  EXPECT_EQ(trace, (std::vector<std::string>{"outer shown", "inner returned"}));
  EXPECT_FALSE(outer->Visible());
  EXPECT_FALSE(inner->Visible());
  EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST(Modal, ReentrantShowModalAndStarvedLoopsRaiseCleanly) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  AddButton(f, mrOk, "OK");
  bool raised = false;
  d.WhenModal([&](TCustomForm& active) {
    try {
      active.ShowModal();  // already modal
    } catch (const EInvalidOperation&) {
      raised = true;
    }
    active.SetModalResult(mrCancel);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(raised);
  // A window re-created while modal stays the same modal form.
  d.WhenModal([&](TCustomForm& active) {
    active.SetBorderStyle(bsDialog);
    active.SetModalResult(mrOk);
  });
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_FALSE(f->Modal());
  // Visible forms cannot go modal.
  f->Show();
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
  f->Hide();
  // A loop with nothing scripted does not hang: it raises and unwinds.
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
  EXPECT_FALSE(f->Visible());
  EXPECT_EQ(Application->ModalLevel(), 0);
  // caFree in a modal dialog: the result comes back, the form goes afterwards.
  bool destroyed = false;
  f->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  f->OnDestroy = [&](TObject*) { destroyed = true; };
  d.WhenModal([&](TCustomForm& active) { active.SetModalResult(mrYes); });
  EXPECT_EQ(f->ShowModal(), mrYes);
  EXPECT_FALSE(destroyed);
  d.Process();
  EXPECT_TRUE(destroyed);
}

TEST(Modal, CloseQueryAndCloseActions) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  bool allow = false;
  int queries = 0;
  f->OnCloseQuery = [&](TObject*, bool& can) {
    ++queries;
    can = allow;
  };
  d.WhenModal([&](TCustomForm& a) { a.Close(); });              // refused
  d.WhenModal([&](TCustomForm& a) { allow = true; a.Close(); });  // accepted
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
  // Modeless: caHide hides, caNone keeps, caFree frees after the message.
  TForm* g = MakeForm();
  TCloseAction next = caNone;
  g->OnClose = [&](TObject*, TCloseAction& a) { a = next; };
  g->Show();
  g->Close();
  EXPECT_TRUE(g->Visible());
  next = caHide;
  g->Close();
  EXPECT_FALSE(g->Visible());
  g->Show();
  next = caFree;
  HWND h = g->Handle();
  bool destroyed = false;
  g->OnDestroy = [&](TObject*) { destroyed = true; };
  g->Close();
  EXPECT_FALSE(destroyed);
  d.Process();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(FindControl(h), nullptr);
  // Closing the main form ends the application.
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  mainForm->Show();
  mainForm->Close();
  d.Process();
  EXPECT_TRUE(Application->Terminated());
}

TEST(Application, RunShowsTheMainFormUntilItCloses) {
  TUiTestDriver d;
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  TForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), mainForm);
  TButton* b = AddButton(mainForm, mrNone, "Ende");
  b->OnClick = [&](TObject*) { mainForm->Close(); };
  int minimized = 0, restored = 0;
  Application->OnMinimize = [&](TObject*) { ++minimized; };
  Application->OnRestore = [&](TObject*) { ++restored; };
  d.WhenModal([&](TCustomForm& active) {
    EXPECT_EQ(&active, mainForm);
    EXPECT_TRUE(mainForm->Showing());
    EXPECT_FALSE(second->Showing());
    Application->Minimize();
    Application->Minimize();
    EXPECT_TRUE(IsIconic(Application->Handle()));
    Application->Restore();
    EXPECT_FALSE(IsIconic(Application->Handle()));
    EXPECT_FALSE(IsIconic(mainForm->Handle()));
    d.PressKey(VK_SPACE);  // the focused button clicks on Space
  });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(restored, 1);
}

TEST(Application, ExceptionsInHandlersReachHandleException) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TButton* b = AddButton(f, mrNone, "Los");
  b->OnClick = [](TObject*) { throw EInOutError("Datei fehlt"); };
  f->Show();
  d.Click(b);
  ASSERT_EQ(d.MessageBoxes().size(), 1u);
  EXPECT_EQ(d.MessageBoxes()[0].Text, "Datei fehlt.");
  EXPECT_EQ(d.MessageBoxes()[0].Flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(d.UnexpectedMessageBoxes(), 1);
  // OnException replaces the box; EAbort stays silent; foreign exceptions are wrapped.
  std::vector<std::string> seen;
  Application->OnException = [&](TObject*, const Exception& e) { seen.push_back(e.Message()); };
  d.Click(b);
  b->OnClick = [](TObject*) { Abort(); };
  d.Click(b);
  b->OnClick = [](TObject*) { throw std::runtime_error("roh"); };
  d.Click(b);
  EXPECT_EQ(seen, (std::vector<std::string>{"Datei fehlt", "roh"}));
  // Exceptions in key handlers and in painting too.
  b->SetFocus();
  b->OnKeyDown = [](TObject*, Word&, TShiftState) { throw EConvertError("Taste"); };
  d.PressKey('A');
  f->OnPaint = [](TObject*) { throw ERangeError("Malen"); };
  f->Invalidate();
  d.Process();
  EXPECT_EQ(seen, (std::vector<std::string>{"Datei fehlt", "roh", "Taste", "Malen"}));
}

TEST(Application, ShutdownLeavesNoTimersFocusOrCaretBehind) {
  {
    TUiTestDriver d;
    TForm* f = MakeForm();
    auto* c = new TRecorder(f, f, "c", nullptr);
    c->SetBounds(0, 0, 100, 100);
    c->SetStyleBits(WS_VSCROLL, 0);
    c->SetHint("Tipp");
    c->SetShowHint(true);
    auto* t = new TTimer(f);
    t->OnTimer = [](TObject*) {};
    f->Show();
    CreateCaret(c->Handle(), 0, 1, 10);
    d.MouseMove(c, 10, 10);          // hint pending
    d.MouseDown(c, 90, 95);          // holding a scroll arrow: repeat timer
    d.Advance(50);
    delete c;                        // freed while held
    d.Advance(500);
  }
  EXPECT_EQ(Timers().Count(), 0u);
  EXPECT_EQ(GetFocus(), 0u);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(CaretState().Owner, 0u);
  EXPECT_EQ(Application, nullptr);
}

TEST(Application, NativeDialogLoopsKeepPostedMessagesAndPaintingGoing) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log);
  f->Show();
  d.Process();
  log.clear();
  PostMessage(c->Handle(), WM_KEYDOWN, 'X', 0);
  c->SetColor(clRed);  // needs a repaint
  Application->ServiceNativeModal();
  EXPECT_EQ(log, (Log{"c:WM_KEYDOWN:88"}));
  EXPECT_FALSE(f->PaintPendingFor());
  EXPECT_EQ(PixelToColor(f->Surface()->Row(5)[5]), clRed);
}

TEST(Application, MessagesToFreedControlsAreDropped) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  Log log;
  auto* c = new TRecorder(f, f, "c", &log);
  f->Show();
  log.clear();
  HWND h = c->Handle();
  EXPECT_TRUE(PostMessage(h, WM_KEYDOWN, 'A', 0));
  delete c;
  d.Process();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(SendMessage(h, WM_KEYDOWN, 'A', 0), 0);
  EXPECT_FALSE(PostMessage(h, WM_KEYDOWN, 'A', 0));
  // PeekMessage with remove takes only what matches.
  auto* e = new TRecorder(f, f, "e", &log);
  HWND eh = e->Handle();
  PostMessage(eh, WM_LBUTTONDOWN, 0, 0);
  PostMessage(eh, WM_KEYDOWN, 'B', 0);
  TQueuedMessage qm;
  EXPECT_TRUE(PeekMessage(qm, eh, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  EXPECT_EQ(qm.Message.Msg, WM_LBUTTONDOWN);
  EXPECT_FALSE(PeekMessage(qm, eh, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
  d.Process();
  EXPECT_EQ(log, (Log{"e:WM_KEYDOWN:66"}));
  // A recreated window has a new handle; the old one is dead.
  e->RecreateWnd();
  EXPECT_NE(e->Handle(), eh);
  EXPECT_EQ(FindControl(eh), nullptr);
}

TEST(Application, FormGeometryHelpAndDialogs) {
  TUiTestDriver d;
  TForm* f = MakeForm(200, 100);
  EXPECT_EQ(f->Width(), 200 + 2 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(f->Height(), 100 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME));
  f->SetHasMenu(true);
  EXPECT_EQ(f->ClientHeight(), 100 - GetSystemMetrics(SM_CYMENU));
  f->SetBorderStyle(bsDialog);
  EXPECT_EQ(f->ClientWidth(), 200);  // the client size is kept
  f->SetPosition(poScreenCenter);
  std::vector<int> sizes;
  f->OnResize = [&](TObject*) { sizes.push_back(f->ClientWidth()); };
  f->Show();
  EXPECT_EQ(f->Left(), (Screen->Width() - f->Width()) / 2);
  f->SetWindowState(wsMaximized);
  EXPECT_EQ(f->ClientWidth(), Screen->Width());
  f->SetWindowState(wsNormal);
  EXPECT_EQ(f->ClientWidth(), 200);
  EXPECT_EQ(sizes, (std::vector<int>{200, Screen->Width(), 200}));  // created, maximised, restored
  d.AnswerNextMessageBox(IDOK);
  Application->SetHelpText(7, "Hilfe zu sieben");
  EXPECT_TRUE(Application->HelpContext(7));
  EXPECT_FALSE(Application->HelpContext(8));
  ASSERT_EQ(d.MessageBoxes().size(), 2u);
  EXPECT_EQ(d.MessageBoxes()[0].Text, "Hilfe zu sieben");
  EXPECT_NE(d.MessageBoxes()[1].Text.find("keine Hilfe"), std::string::npos);
  d.AnswerNextFileDialog("/tmp/x.rtf");
  d.CancelNextFileDialog();
  AnsiString name;
  TFileDialogRequest req;
  req.Title = "Laden";
  EXPECT_TRUE(Application->ExecuteFileDialog(req, name));
  EXPECT_EQ(name, "/tmp/x.rtf");
  EXPECT_FALSE(Application->ExecuteFileDialog(req, name));
  EXPECT_EQ(d.FileDialogs().size(), 2u);
  d.AnswerNextMessageBox(IDNO);
  EXPECT_EQ(Application->MessageBox("Speichern?", "Frage", MB_YESNO), IDNO);
}

TEST(SingleInstance, SecondProcessFindsTheFirstAndPostsItAMessage) {
  std::string name = "OrvelanTest" + std::to_string(getpid());
  EXPECT_FALSE(FindInstanceWindow(name));
  TUiTestDriver d;
  ASSERT_TRUE(Application->RegisterInstance(name));
  TInstanceRegistration second;
  EXPECT_FALSE(second.Register(name));  // taken while the first lives
  std::vector<unsigned> got;
  Application->OnInstanceMessage = [&](unsigned m) { got.push_back(m); };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The second start: find the first instance and hand over.
    bool ok = FindInstanceWindow(name) && PostToInstance(name, 2024);
    _exit(ok ? 0 : 1);
  }
  int status = WaitAnswering(child, d);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  d.Process();
  EXPECT_EQ(got, (std::vector<unsigned>{2024}));
}

// A first instance that hangs takes no connections, but its listen queue
// does until it is full: none of a dozen later starts at once may count
// its hand-over as done, and each must end in bounded time instead of
// waiting for ever.
TEST(SingleInstance, AHungFirstInstanceNeverHoldsUpALaterStart) {
  std::string name = "OrvelanHung" + std::to_string(getpid());
  TUiTestDriver d;
  TInstanceRegistration hung;  // registered, never polled
  ASSERT_TRUE(hung.Register(name));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);  // a hand-over that waits for ever ends the child by signal
    std::atomic<int> delivered{0};
    std::vector<std::thread> starts;
    for (int i = 0; i < 12; ++i) starts.emplace_back([&] { delivered += PostToInstance(name, 2024); });
    for (std::thread& t : starts) t.join();
    _exit(delivered == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "a later start hung in its hand-over";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

class TClassForm : public TForm {
 public:
  TClassForm(TComponent* owner, std::string cls) : TForm(owner), cls_(std::move(cls)) {}
  std::vector<unsigned> got;
  void Dispatch(TMessage& m) override {
    if (m.Msg == 2024) got.push_back(m.Msg);
    TForm::Dispatch(m);
  }

 protected:
  void CreateParams(TCreateParams& p) override {
    TForm::CreateParams(p);
    p.WinClassName = cls_;
  }

 private:
  std::string cls_;
};

TEST(SingleInstance, AFormWithAClassNameReceivesTheOtherProcesssMessage) {
  std::string name = "OrvelanForm" + std::to_string(getpid());
  TUiTestDriver d;
  auto* f = new TClassForm(Application, name);
  EXPECT_FALSE(FindInstanceWindow(name));  // no window yet
  f->Show();
  ASSERT_TRUE(FindInstanceWindow(name));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(PostToInstance(name, 2024) ? 0 : 1);
  int status = WaitAnswering(child, d);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  d.Process();
  EXPECT_EQ(f->got, (std::vector<unsigned>{2024}));
  delete f;
  EXPECT_FALSE(FindInstanceWindow(name));
}

// A form's destruction handler runs while its components exist, whether
// the form is freed, freed by the application at shut-down or deleted.
TEST(Forms, TheDestructionHandlerSeesTheFormsComponents) {
  std::vector<std::string> seen;
  auto watch = [&seen](TForm* f) {
    auto* t = new TTimer(f);
    t->SetName("Uhr");
    f->OnDestroy = [&seen, f](TObject*) {
      seen.push_back(f->ComponentCount() == 1 ? std::string(f->Components(0)->Name()) : "-");
    };
  };
  {
    TUiTestDriver d;
    auto* freed = new TForm(Application);
    watch(freed);
    freed->Free();
    auto* deleted = new TForm(Application);
    watch(deleted);
    delete deleted;
    watch(new TForm(Application));  // freed with the application
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Uhr", "Uhr", "Uhr"}));
}

TEST(SingleInstance, RegistrationEndsWithItsOwner) {
  std::string name = "OrvelanGone" + std::to_string(getpid());
  {
    TInstanceRegistration r;
    ASSERT_TRUE(r.Register(name));
    EXPECT_TRUE(FindInstanceWindow(name));
  }
  EXPECT_FALSE(FindInstanceWindow(name));
  EXPECT_FALSE(PostToInstance(name, 2024));
  TInstanceRegistration again;
  EXPECT_TRUE(again.Register(name));
  // A silent peer that connects and sends nothing is dropped, not waited for.
  EXPECT_TRUE(FindInstanceWindow(name));
  EXPECT_EQ(again.Poll(nullptr), 0);
}

}  // namespace
