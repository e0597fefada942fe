// Top-level window host on Qt: one widget per form that shows the form's
// back-buffer surface, draws the caret over it, and turns Qt input into
// THostInput with Windows virtual keys; the desktop's clipboard, file
// dialogs and opener. Nothing of the control tree lives here. On the
// offscreen platform (no display) nothing is stacked or activated, no
// dialog is shown and message boxes take their default button.
#include "platform/qt/qt_window_host.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include "platform/gfx/device.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_ui_clipboard.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"

namespace qtwin {
namespace {

QString ToQ(const AnsiString& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }
// A path in the toolkit's form, and back: through the file system's names.
QString PathToQ(const AnsiString& path) { return QFile::decodeName(QByteArray::fromStdString(SysFileName(path))); }
AnsiString PathFromQ(const QString& path) { return FromSysFileName(QFile::encodeName(path).toStdString()); }

bool Offscreen() {
  static const bool off = QGuiApplication::platformName() == QLatin1String("offscreen");
  return off;
}

Qt::CursorShape ShapeOf(int cursor) {
  switch (cursor) {
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: case -17: return Qt::WaitCursor;
    case -12: case -16: return Qt::DragMoveCursor;
    case -13: case -18: return Qt::ForbiddenCursor;
    case -14: return Qt::SplitHCursor;
    case -15: return Qt::SplitVCursor;
    case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    case -22: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

class HostWidget : public QWidget {
 public:
  HostWidget(TSurface* surface, std::function<void(const THostInput&)> sink)
      : surface_(surface), sink_(std::move(sink)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }

  void SetCaret(bool visible, QRect r) {
    QRect old = caretVisible_ ? caret_ : QRect();
    caretVisible_ = visible;
    caret_ = r;
    if (!old.isNull()) update(old);
    if (visible) update(r);
  }

  bool suppress = false;  // geometry changes made by us are not reported back
  void DropNative() { destroy(); }
  // The window's top-left, its frame's where the window manager draws one.
  QPoint FramePosition() const { return windowHandle() ? windowHandle()->framePosition() : pos(); }
  bool CaretOn(int& x, int& y) const {
    x = caret_.x();
    y = caret_.y();
    return caretVisible_;
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    if (surface_ && !surface_->Empty()) {
      // The back buffer holds the screen's pixels (its scale to a unit).
      const int k = surface_->Scale();
      QImage img(reinterpret_cast<const uchar*>(surface_->Bits()), surface_->Width(), surface_->Height(),
                 surface_->Width() * 4, QImage::Format_RGB32);
      img.setDevicePixelRatio(k);
      const QRect r = e->rect();
      if (k != devicePixelRatio()) p.setRenderHint(QPainter::SmoothPixmapTransform);
      p.drawImage(QRectF(r), img, QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k));
    }
    if (caretVisible_) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(caret_, Qt::white);
    }
  }

  void Send(THostInput in) {
    if (sink_) sink_(in);
  }

  static int ButtonOf(Qt::MouseButton b) {
    return b == Qt::RightButton ? 1 : b == Qt::MiddleButton ? 2 : 0;
  }

  void mousePressEvent(QMouseEvent* e) override {
    THostInput in;
    in.kind = THostInput::MouseDown;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    THostInput in;
    in.kind = THostInput::MouseDblClick;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    THostInput in;
    in.kind = THostInput::MouseUp;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    THostInput in;
    in.kind = THostInput::MouseMove;
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void leaveEvent(QEvent*) override {
    THostInput in;
    in.kind = THostInput::MouseLeave;
    Send(in);
  }
  void wheelEvent(QWheelEvent* e) override {
    THostInput in;
    in.kind = e->angleDelta().y() >= 0 ? THostInput::WheelUp : THostInput::WheelDown;
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void KeyEvent(QKeyEvent* e, bool down) {
    THostInput in;
    in.kind = down ? THostInput::KeyDown : THostInput::KeyUp;
    in.vk = ToolkitKeyToVirtualKey(e->key(), e->nativeScanCode(), (e->modifiers() & Qt::KeypadModifier) != 0);
    in.autoRepeat = e->isAutoRepeat();
    QString t = e->text();
    if (down && t.size() >= 1) {
      char32_t u = t.at(0).unicode();
      if (t.at(0).isHighSurrogate() && t.size() >= 2) u = QChar::surrogateToUcs4(t.at(0), t.at(1));
      in.typed = u;
    }
    // A key without a virtual key of its own that types a character (AltGr+Q
    // "@", a letter of another layout, a composed one) comes as a character
    // packet, as the platform sends text that has no key; its release is
    // known by the same key.
    const std::uint32_t sc = e->nativeScanCode();
    if (down) Compose(e->key(), in);
    if (in.vk == 0 && down && in.typed >= 0x20 && in.typed != 0x7F) {
      packets_.insert(sc);
      in.vk = kVkPacket;
    } else if (in.vk == 0 && !down && packets_.erase(sc)) {
      in.vk = kVkPacket;
    }
    if (in.vk == 0) return;
    Send(in);
  }
  void keyPressEvent(QKeyEvent* e) override { KeyEvent(e, true); }
  void keyReleaseEvent(QKeyEvent* e) override { KeyEvent(e, false); }
  bool focusNextPrevChild(bool) override { return false; }  // Tab is ours
  void resizeEvent(QResizeEvent* e) override {
    if (suppress) return;
    THostInput in;
    in.kind = THostInput::Resized;
    in.x = e->size().width();
    in.y = e->size().height();
    Send(in);
  }
  void moveEvent(QMoveEvent*) override {
    if (suppress) return;
    ReportPlace();
  }
  // The window manager may tell its frame's extents after the move they
  // belong to (a window just mapped, or un-maximised when its border comes
  // back): the frame's place is told again after a property of the window
  // changed, once the toolkit has read it.
  bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override {
    constexpr std::uint8_t kPropertyNotify = 28;  // the X protocol's event code
    if (type == "xcb_generic_event_t" && (*static_cast<const std::uint8_t*>(message) & 0x7f) == kPropertyNotify)
      QMetaObject::invokeMethod(
          this, [this] { if (!suppress && isVisible() && FramePosition() != reported_) ReportPlace(); },
          Qt::QueuedConnection);
    return QWidget::nativeEvent(type, message, result);
  }
  void ReportPlace() {
    reported_ = FramePosition();
    THostInput in;
    in.kind = THostInput::Moved;
    in.x = reported_.x();
    in.y = reported_.y();
    Send(in);
  }
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // the form decides
    THostInput in;
    in.kind = THostInput::CloseRequest;
    Send(in);
  }
  void changeEvent(QEvent* e) override {
    if (e->type() == QEvent::ActivationChange) {
      dead_ = {};  // an accent typed elsewhere composes nothing here
      THostInput in;
      in.kind = isActiveWindow() ? THostInput::Activated : THostInput::Deactivated;
      Send(in);
    } else if (e->type() == QEvent::WindowStateChange) {
      THostInput in;
      in.kind = THostInput::StateChanged;
      in.state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
      Send(in);
    }
    QWidget::changeEvent(e);
  }

 private:
  // A dead key (´ ` ^ ...) goes down as its key and types nothing itself;
  // the next character takes its accent when one letter carries both ("´"
  // "e" gives "é"), else the accent comes on its own before it; a blank or
  // a second dead key gives the accent alone, and a key that types nothing
  // (Backspace, an arrow, Enter) drops it; the modifiers leave it pending:
  // as the desktop composes. Done here rather than by the toolkit's input
  // context, which hands over a composed text ahead of the keys typed
  // before it.
  void Compose(int key, THostInput& in) {
    static const std::map<int, std::pair<char32_t, char32_t>> kDead = {
        {Qt::Key_Dead_Grave, {0x300, U'`'}},     {Qt::Key_Dead_Acute, {0x301, 0xB4}},
        {Qt::Key_Dead_Circumflex, {0x302, U'^'}}, {Qt::Key_Dead_Tilde, {0x303, U'~'}},
        {Qt::Key_Dead_Diaeresis, {0x308, 0xA8}},  {Qt::Key_Dead_Abovering, {0x30A, 0xB0}},
        {Qt::Key_Dead_Cedilla, {0x327, 0xB8}},    {Qt::Key_Dead_Caron, {0x30C, 0x2C7}}};
    if (const auto d = kDead.find(key); d != kDead.end()) {
      // After another dead key the first accent stands alone; the same one
      // twice types it once, a different one waits for its letter.
      in.typed = dead_.first ? dead_.second : 0;
      dead_ = dead_.first == d->second.first ? std::pair<char32_t, char32_t>{} : d->second;
      return;
    }
    if (!dead_.first) return;
    if (in.typed < 0x20 || in.typed == 0x7F) {
      if (!IsModifier(key)) dead_ = {};
      return;
    }
    const auto [mark, accent] = std::exchange(dead_, {});
    if (in.typed == U' ') {
      in.typed = accent;
      return;
    }
    const char32_t pair[] = {in.typed, mark};
    const std::u32string one = QString::fromUcs4(pair, 2).normalized(QString::NormalizationForm_C).toStdU32String();
    if (one.size() == 1)
      in.typed = one[0];
    else
      SendPacket(accent);
  }
  static bool IsModifier(int key) {
    switch (key) {
      case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta:
      case Qt::Key_CapsLock: case Qt::Key_NumLock: case Qt::Key_ScrollLock:
        return true;
      default:
        return false;
    }
  }
  void SendPacket(char32_t u) {
    THostInput in;
    in.kind = THostInput::KeyDown;
    in.vk = kVkPacket;
    in.typed = u;
    Send(in);
    in.kind = THostInput::KeyUp;
    in.typed = 0;
    Send(in);
  }

  static constexpr int kVkPacket = 0xE7;  // VK_PACKET
  std::pair<char32_t, char32_t> dead_{};  // combining mark and accent of a dead key pending
  TSurface* surface_;
  std::function<void(const THostInput&)> sink_;
  std::set<std::uint32_t> packets_;  // keys down that came as packets
  bool caretVisible_ = false;
  QRect caret_;
  QPoint reported_;  // the frame's place last told to the form
};

class QtHostWindow : public THostWindow {
 public:
  QtHostWindow(TSurface* surface, std::function<void(const THostInput&)> sink)
      : w_(new HostWidget(surface, std::move(sink))) {}
  ~QtHostWindow() override {
    w_->hide();
    delete w_;
  }
  void SetTitle(const AnsiString& title) override { w_->setWindowTitle(ToQ(title)); }
  void SetFlags(unsigned flags) override {
    if (flags == flags_) return;
    flags_ = flags;
    ApplyFlags();
  }
  // The window manager places a window's frame where it was asked to and
  // puts the client inside it: the position given and reported is the
  // frame's, never mixed with the client's.
  void SetGeometry(int x, int y, int w, int h) override {
    Renew();
    if (w_->isVisible() && w_->isMaximized()) return;  // the window manager's size until un-maximised
    w_->suppress = true;
    w_->resize(w, h);
    w_->move(x, y);  // the frame's place, as the toolkit takes it
    if ((flags_ & wfFixedSize) && !Offscreen()) w_->setFixedSize(w, h);
    w_->suppress = false;
  }
  bool ClientOffset(int& dx, int& dy) const override {
    const QPoint offset = w_->mapToGlobal(QPoint(0, 0)) - w_->FramePosition();
    dx = offset.x();
    dy = offset.y();
    return true;
  }
  void SetMinMaxClientSize(int minW, int minH, int maxW, int maxH) override {
    if ((flags_ & wfFixedSize) || Offscreen()) return;
    w_->suppress = true;
    w_->setMinimumSize(std::min(minW, w_->width()), std::min(minH, w_->height()));
    w_->setMaximumSize(std::max(maxW, w_->width()), std::max(maxH, w_->height()));
    w_->suppress = false;
  }
  void SetOwner(THostWindow* owner) override {
    owner_ = owner ? static_cast<QtHostWindow*>(owner)->w_ : nullptr;
    ApplyFlags();
  }
  void Show(bool activate) override {
    Renew();
    w_->suppress = true;
    // Shown without the keyboard, the window manager gives it none either
    // (the toolkit reads this when it makes the native window).
    w_->setAttribute(Qt::WA_ShowWithoutActivating, !activate || (flags_ & wfPopupNoActivate));
    // Transient for its owner: the window manager keeps it above that one.
    w_->winId();
    QWindow* parent = nullptr;
    if (owner_) {
      owner_->winId();
      parent = owner_->windowHandle();
    }
    if (QWindow* h = w_->windowHandle()) h->setTransientParent(parent);
    w_->show();
    if (activate && !Offscreen()) {
      w_->raise();
      w_->activateWindow();
    }
    w_->suppress = false;
  }
  // A window manager forgets a window it no longer shows, but the toolkit
  // keeps the frame and the way of placing it from before, and so would put
  // the client where the frame belongs: a framed window is made anew for
  // its next showing (not at once, so that the toolkit first hands the
  // focus on as usual) and placed as at its first.
  void Hide() override {
    w_->hide();
    renew_ = !(flags_ & wfFrameless);
  }
  void SetState(int state) override {
    w_->suppress = true;
    if (state == 1)
      w_->showMinimized();
    else if (state == 2)
      w_->showMaximized();
    else if (w_->isVisible())
      w_->showNormal();
    w_->suppress = false;
  }
  void Activate() override {
    if (!Offscreen() && w_->isVisible()) w_->activateWindow();
  }
  void Raise() override {
    if (Offscreen()) return;  // nothing to stack without a display
    w_->raise();
    if (!(flags_ & wfPopupNoActivate)) w_->activateWindow();
  }
  void Lift() override {
    if (!Offscreen() && w_->isVisible()) w_->raise();
  }
  void Flush(int x, int y, int w, int h) override { w_->update(x, y, w, h); }
  void SetCaret(bool visible, int x, int y, int w, int h) override { w_->SetCaret(visible, QRect(x, y, w, h)); }
  bool CaretShown(int& x, int& y) const override { return w_->CaretOn(x, y); }
  void SetCursorShape(int cursor) override { w_->setCursor(QCursor(ShapeOf(cursor))); }
  void SetCursorImage(int w, int h, int hotX, int hotY, const std::uint32_t* argb) override {
    QImage img(reinterpret_cast<const uchar*>(argb), w, h, w * 4, QImage::Format_ARGB32);
    w_->setCursor(QCursor(QPixmap::fromImage(img.copy()), hotX, hotY));
  }
  bool IsExposed() const { return w_->isVisible(); }
  bool IsActive() const { return w_->isActiveWindow(); }
  bool GrabToPng(const std::string& path) {
    QScreen* screen = w_->screen();
    if (!screen) return false;
    QPixmap pm = screen->grabWindow(w_->winId());
    return !pm.isNull() && pm.save(QString::fromUtf8(path.c_str()), "PNG");
  }
  void InjectKey(int key, std::uint32_t scanCode, const std::string& text, bool down) {
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, scanCode, 0, 0,
                QString::fromUtf8(text.c_str()));
    QCoreApplication::sendEvent(w_, &e);
  }
  void InjectMouse(THostInput::Kind kind, int button, int x, int y) {
    if (kind == THostInput::WheelUp || kind == THostInput::WheelDown) {
      // One notch of a wheel.
      const QPointF local(x, y);
      QWheelEvent e(local, w_->mapToGlobal(local), QPoint(), QPoint(0, kind == THostInput::WheelUp ? 120 : -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(w_, &e);
      return;
    }
    Qt::MouseButton b = button == 1 ? Qt::RightButton : button == 2 ? Qt::MiddleButton : Qt::LeftButton;
    QEvent::Type t = kind == THostInput::MouseDown       ? QEvent::MouseButtonPress
                     : kind == THostInput::MouseUp       ? QEvent::MouseButtonRelease
                     : kind == THostInput::MouseDblClick ? QEvent::MouseButtonDblClick
                                                          : QEvent::MouseMove;
    QPointF local(x, y);
    QMouseEvent e(t, local, w_->mapToGlobal(local), t == QEvent::MouseMove ? Qt::NoButton : b,
                  t == QEvent::MouseButtonRelease || t == QEvent::MouseMove ? Qt::NoButton : b, Qt::NoModifier);
    QCoreApplication::sendEvent(w_, &e);
  }

 private:
  void ApplyFlags() {
    if (flags_ == ~0u) return;
    Qt::WindowFlags f = Qt::Window;
    if (flags_ & wfPopupNoActivate)
      f = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint;
    else {
      if (flags_ & wfToolWindow) f = Qt::Tool;
      if (flags_ & wfDialog) f = Qt::Dialog;
      // The toolkit names the owner of dialog-type windows only: an owned
      // main-style window is one with the buttons of a main window.
      if (owner_ && f == Qt::Window)
        f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
            Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
      if (flags_ & wfFrameless) f |= Qt::FramelessWindowHint;
      if (flags_ & wfStayOnTop) f |= Qt::WindowStaysOnTopHint;
    }
    if (Offscreen()) f &= ~Qt::WindowStaysOnTopHint;  // stacking needs a display
    // Compared with the flags asked for before: the toolkit adds hints of
    // its own to those it was given.
    if (applied_ && f == *applied_) return;
    const bool onTopOnly = applied_ && (f ^ *applied_) == Qt::WindowStaysOnTopHint;
    applied_ = f;
    // Only on top or not: the window system is told without taking the
    // window down and up again, which would also give it the keyboard.
    if (w_->isVisible() && onTopOnly) {
      const Qt::WindowFlags now = (w_->windowFlags() & ~Qt::WindowStaysOnTopHint) | (f & Qt::WindowStaysOnTopHint);
      w_->overrideWindowFlags(now);
      w_->windowHandle()->setFlags(now);
      return;
    }
    bool vis = w_->isVisible();
    w_->suppress = true;
    w_->setWindowFlags(f);
    w_->setAttribute(Qt::WA_ShowWithoutActivating, (flags_ & wfPopupNoActivate) != 0);
    if (vis) w_->show();
    w_->suppress = false;
  }

  void Renew() {
    if (std::exchange(renew_, false) && !w_->isVisible()) w_->DropNative();
  }

  HostWidget* w_;
  bool renew_ = false;
  QPointer<HostWidget> owner_;
  unsigned flags_ = ~0u;
  std::optional<Qt::WindowFlags> applied_;  // the toolkit flags last asked for
};


// Runs the service on a toolkit timer for the lifetime of a toolkit dialog.
class ServiceTimer {
 public:
  explicit ServiceTimer(const std::function<void()>& service) {
    if (!service) return;
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [service] { service(); });
    timer_.start();
  }

 private:
  QTimer timer_;
};

// The answer of a box nobody can see: its default button.
int DefaultAnswer(unsigned flags) {
  static const int first[] = {1 /*OK*/, 1 /*OK*/, 3 /*Abort*/, 6 /*Yes*/, 6 /*Yes*/, 4 /*Retry*/};
  static const int second[] = {1 /*OK*/, 2 /*Cancel*/, 4 /*Retry*/, 7 /*No*/, 7 /*No*/, 2 /*Cancel*/};
  unsigned kind = flags & 0xF;
  if (kind > 5) kind = 0;
  return (flags & 0x100) ? second[kind] : first[kind];
}

class QtWindowHost : public TWindowHost {
 public:
  std::unique_ptr<THostWindow> CreateWindow(TSurface* surface, std::function<void(const THostInput&)> sink) override {
    return std::make_unique<QtHostWindow>(surface, std::move(sink));
  }
  void PumpEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }
  // The toolkit's wait with a time limit does not wait at all, so the limit
  // is a timer of ours whose event ends the wait like any other event.
  void WaitForInput(int maxMs) override {
    // The application has taken the knocks that disarmed their watches.
    for (auto& [fd, n] : watches_) n->setEnabled(true);
    if (maxMs == 0) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      return;
    }
    if (!wake_) {
      wake_ = new QTimer();  // lives as long as the toolkit
      wake_->setSingleShot(true);
      wake_->setTimerType(Qt::PreciseTimer);  // our timers are due to the millisecond
    }
    if (maxMs > 0) wake_->start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wake_->stop();
  }
  // A readable socket stays readable until the application takes what
  // waits there; the watch is disarmed until the next wait, so it cannot
  // wake the toolkit over and over meanwhile (a file dialog's own loop).
  bool WatchDescriptor(int fd, bool watch) override {
    auto it = watches_.find(fd);
    if (it != watches_.end()) {
      delete it->second;
      watches_.erase(it);
    }
    if (!watch || fd < 0) return true;
    auto* n = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read);
    QObject::connect(n, &QSocketNotifier::activated, [n] { n->setEnabled(false); });
    watches_[fd] = n;
    return true;
  }
  int ScreenWidth() const override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
  }
  int ScreenHeight() const override {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
  }
  void Beep() override {
    if (!Offscreen()) QApplication::beep();
  }
  bool AnswerMessageBox(const TMessageBoxRequest& request, int& answer) override {
    if (!Offscreen()) return false;  // the windowing layer shows its own dialog
    answer = DefaultAnswer(request.Flags);
    return true;
  }
  bool FileDialog(const TFileDialogRequest& req, AnsiString& fileName, const std::function<void()>& service) override {
    if (Offscreen()) return false;
    ServiceTimer keepGoing(service);
    const QString filters = QString::fromStdString(ToolkitFilter(req.Filter));
    // Without a folder of its own the dialog opens where the user last
    // chose a file, else in the home folder.
    QString start = PathToQ(req.InitialDir);
    if (start.isEmpty() && !QFileInfo(PathToQ(req.FileName)).isAbsolute())
      start = lastDir_.isEmpty() ? QDir::homePath() : lastDir_;
    if (!req.FileName.empty()) start = start.isEmpty() ? PathToQ(req.FileName) : start + "/" + PathToQ(req.FileName);
    // The type shown is the one of the name given ("dup.txt" chosen again
    // after a "Nein" shows the text type), else the first.
    QString chosen;
    const QString suffix = QFileInfo(PathToQ(req.FileName)).suffix();
    const QRegularExpression ofName("\\*\\." + QRegularExpression::escape(suffix) + "[ )]",
                                    QRegularExpression::CaseInsensitiveOption);
    for (const QString& f : filters.split(QStringLiteral(";;")))
      if (chosen.isEmpty() && !suffix.isEmpty() && ofName.match(f).hasMatch()) chosen = f;
    // Whether to replace a file is asked by the caller, about the name with
    // the extension added below.
    QString r = req.Save ? QFileDialog::getSaveFileName(nullptr, ToQ(req.Title), start, filters, &chosen,
                                                        QFileDialog::DontConfirmOverwrite)
                         : QFileDialog::getOpenFileName(nullptr, ToQ(req.Title), start, filters);
    if (r.isEmpty()) return false;
    // A name typed without an extension takes that of the file type chosen,
    // where the program asks for one (as the system's own dialog does).
    static const QRegularExpression kOneExtension(QStringLiteral("\\(\\*(\\.\\w+)\\)$"));
    const QRegularExpressionMatch type = kOneExtension.match(chosen);
    if (req.Save && !req.DefaultExt.empty() && QFileInfo(r).suffix().isEmpty() && type.hasMatch())
      r += type.captured(1);
    lastDir_ = QFileInfo(r).absolutePath();
    fileName = PathFromQ(r);
    return true;
  }
  void EndFileDialog() override {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) dialog->reject();
  }
  void SetClipboard(const std::vector<std::pair<std::string, std::string>>& formats, const THostImage* image) override {
    qtui::ClipboardSet(formats, image);
  }
  bool ClipboardData(const std::string& mime, std::string& bytes) const override {
    if (!qtui::ClipboardHas(mime)) return false;
    bytes = qtui::ClipboardGet(mime);
    return true;
  }
  bool ClipboardImage(THostImage& image) const override { return qtui::ClipboardGetImage(image); }
  // A local file (the help file) is named as the file system names it.
  bool OpenUrl(const AnsiString& url) override { return qtui::OpenUrl(SysFileName(url)); }
  // The display's name; a headless process has a screen of its own.
  std::string InstanceScope() const override {
    if (Offscreen()) return "offscreen." + std::to_string(QCoreApplication::applicationPid());
    const char* display = std::getenv(QGuiApplication::platformName() == "wayland" ? "WAYLAND_DISPLAY" : "DISPLAY");
    return QGuiApplication::platformName().toStdString() + "." + (display ? display : "");
  }

 private:
  QTimer* wake_ = nullptr;
  std::map<int, QSocketNotifier*> watches_;
  QString lastDir_;  // of the file last chosen in a dialog
};

QtHostWindow* Own(const THostWindow* w) {
  auto* q = dynamic_cast<QtHostWindow*>(const_cast<THostWindow*>(w));
  if (!q) throw EInvalidOperation("The window does not belong to the toolkit host");
  return q;
}

}  // namespace

std::string ToolkitFilter(const AnsiString& filter) {
  QStringList parts = ToQ(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = "(" + QString(parts[i + 1]).replace(';', ' ') + ")";
    out << (parts[i].endsWith(patterns) ? parts[i] : parts[i] + " " + patterns);
  }
  return out.join(";;").toStdString();
}

void InjectKey(THostWindow* w, int toolkitKey, std::uint32_t scanCode, const std::string& textUtf8, bool down) {
  Own(w)->InjectKey(toolkitKey, scanCode, textUtf8, down);
}

void InjectMouse(THostWindow* w, THostInput::Kind kind, int button, int x, int y) {
  Own(w)->InjectMouse(kind, button, x, y);
}

bool IsExposed(const THostWindow* w) { return Own(w)->IsExposed(); }

bool GrabToPng(THostWindow* w, const std::string& path) { return Own(w)->GrabToPng(path); }

bool IsActive(const THostWindow* w) { return Own(w)->IsActive(); }

bool GrabScreen(int x, int y, int w, int h, THostImage& image) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return false;
  const QImage img = screen->grabWindow(0, x, y, w, h).toImage().convertToFormat(QImage::Format_ARGB32);
  if (img.isNull()) return false;
  image.Width = img.width();
  image.Height = img.height();
  image.Argb.resize(static_cast<std::size_t>(img.width()) * static_cast<std::size_t>(img.height()));
  for (int row = 0; row < img.height(); ++row) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(img.constScanLine(row));
    std::copy(line, line + img.width(), image.Argb.begin() + static_cast<std::ptrdiff_t>(row) * img.width());
  }
  return true;
}

}  // namespace qtwin

namespace qthost {

void InstallWindowHost() {
  EnsureGuiApplication();
  static qtwin::QtWindowHost host;
  SetWindowHost(&host);
  // A session manager's request before a log-out: the program asks the
  // user where the manager lets it, and a cancelled question cancels the
  // log-out.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, [](QSessionManager& manager) {
    if (!host.OnEndSession || !manager.allowsInteraction()) return;
    const bool end = host.OnEndSession();
    manager.release();
    if (!end) manager.cancel();
  });
  // The manager's word that the session ends now comes as the toolkit's
  // quit, which no loop of ours runs on.
  struct SessionEnd : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Quit && host.OnSessionEnded) host.OnSessionEnded();
      return false;
    }
  };
  qApp->installEventFilter(new SessionEnd);
}

}  // namespace qthost
