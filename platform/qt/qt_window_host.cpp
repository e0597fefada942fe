// Top-level window host on Qt: one QWindow-backed widget per form that shows
// the form's back-buffer surface, draws the caret over it, and turns Qt input
// into NativeInput with Windows virtual keys. Nothing of the control tree
// lives here.
#include "platform/qt/qt_window_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "platform/gfx/device.h"
#include "platform/qt/qt_host.h"

namespace qtwin {
namespace {

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
  HostWidget(TSurface* surface, std::function<void(const NativeInput&)> sink)
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
  bool CaretOn(int& x, int& y) const {
    x = caret_.x();
    y = caret_.y();
    return caretVisible_;
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    if (surface_ && !surface_->Empty()) {
      QImage img(reinterpret_cast<const uchar*>(surface_->Bits()), surface_->Width(), surface_->Height(),
                 surface_->Width() * 4, QImage::Format_RGB32);
      p.drawImage(e->rect(), img, e->rect());
    }
    if (caretVisible_) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(caret_, Qt::white);
    }
  }

  void Send(NativeInput in) {
    if (sink_) sink_(in);
  }

  static int ButtonOf(Qt::MouseButton b) {
    return b == Qt::RightButton ? 1 : b == Qt::MiddleButton ? 2 : 0;
  }

  void mousePressEvent(QMouseEvent* e) override {
    NativeInput in;
    in.kind = NativeInput::MouseDown;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    NativeInput in;
    in.kind = NativeInput::MouseDblClick;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    NativeInput in;
    in.kind = NativeInput::MouseUp;
    in.button = ButtonOf(e->button());
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    NativeInput in;
    in.kind = NativeInput::MouseMove;
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void leaveEvent(QEvent*) override {
    NativeInput in;
    in.kind = NativeInput::MouseLeave;
    Send(in);
  }
  void wheelEvent(QWheelEvent* e) override {
    NativeInput in;
    in.kind = e->angleDelta().y() >= 0 ? NativeInput::WheelUp : NativeInput::WheelDown;
    in.x = static_cast<int>(e->position().x());
    in.y = static_cast<int>(e->position().y());
    Send(in);
  }
  void KeyEvent(QKeyEvent* e, bool down) {
    NativeInput in;
    in.kind = down ? NativeInput::KeyDown : NativeInput::KeyUp;
    in.vk = ToolkitKeyToVirtualKey(e->key(), e->nativeScanCode(), (e->modifiers() & Qt::KeypadModifier) != 0);
    in.autoRepeat = e->isAutoRepeat();
    QString t = e->text();
    if (down && t.size() >= 1) {
      char32_t u = t.at(0).unicode();
      if (t.at(0).isHighSurrogate() && t.size() >= 2) u = QChar::surrogateToUcs4(t.at(0), t.at(1));
      in.typed = u;
    }
    if (in.vk == 0) return;
    Send(in);
  }
  void keyPressEvent(QKeyEvent* e) override { KeyEvent(e, true); }
  void keyReleaseEvent(QKeyEvent* e) override { KeyEvent(e, false); }
  bool focusNextPrevChild(bool) override { return false; }  // Tab is ours
  void resizeEvent(QResizeEvent* e) override {
    if (suppress) return;
    NativeInput in;
    in.kind = NativeInput::Resized;
    in.x = e->size().width();
    in.y = e->size().height();
    Send(in);
  }
  void moveEvent(QMoveEvent*) override {
    if (suppress) return;
    NativeInput in;
    in.kind = NativeInput::Moved;
    QPoint p = mapToGlobal(QPoint(0, 0));
    in.x = p.x();
    in.y = p.y();
    Send(in);
  }
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // the form decides
    NativeInput in;
    in.kind = NativeInput::CloseRequest;
    Send(in);
  }
  void changeEvent(QEvent* e) override {
    if (e->type() == QEvent::ActivationChange) {
      NativeInput in;
      in.kind = isActiveWindow() ? NativeInput::Activated : NativeInput::Deactivated;
      Send(in);
    } else if (e->type() == QEvent::WindowStateChange) {
      NativeInput in;
      in.kind = NativeInput::StateChanged;
      in.state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
      Send(in);
    }
    QWidget::changeEvent(e);
  }

 private:
  TSurface* surface_;
  std::function<void(const NativeInput&)> sink_;
  bool caretVisible_ = false;
  QRect caret_;
};

bool Offscreen() {
  static const bool off = QGuiApplication::platformName() == QLatin1String("offscreen");
  return off;
}

class QtNativeWindow : public NativeWindow {
 public:
  QtNativeWindow(TSurface* surface, std::function<void(const NativeInput&)> sink)
      : w_(new HostWidget(surface, std::move(sink))) {}
  ~QtNativeWindow() override {
    w_->hide();
    delete w_;
  }
  void SetTitle(const std::string& utf8) override { w_->setWindowTitle(QString::fromUtf8(utf8.c_str())); }
  void SetFlags(unsigned flags) override {
    if (flags == flags_) return;
    flags_ = flags;
    Qt::WindowFlags f = Qt::Window;
    if (flags & wfPopupNoActivate)
      f = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint;
    else {
      if (flags & wfToolWindow) f = Qt::Tool;
      if (flags & wfDialog) f = Qt::Dialog;
      if (flags & wfFrameless) f |= Qt::FramelessWindowHint;
      if (flags & wfStayOnTop) f |= Qt::WindowStaysOnTopHint;
    }
    if (Offscreen()) f &= ~Qt::WindowStaysOnTopHint;  // stacking needs a display
    bool vis = w_->isVisible();
    w_->suppress = true;
    w_->setWindowFlags(f);
    w_->setAttribute(Qt::WA_ShowWithoutActivating, (flags & wfPopupNoActivate) != 0);
    if (vis) w_->show();
    w_->suppress = false;
  }
  void SetGeometry(int x, int y, int w, int h) override {
    w_->suppress = true;
    w_->setGeometry(x, y, w, h);
    if ((flags_ & wfFixedSize) && !Offscreen()) w_->setFixedSize(w, h);
    w_->suppress = false;
  }
  void SetMinMaxClientSize(int minW, int minH, int maxW, int maxH) override {
    if ((flags_ & wfFixedSize) || Offscreen()) return;
    w_->suppress = true;
    w_->setMinimumSize(std::min(minW, w_->width()), std::min(minH, w_->height()));
    w_->setMaximumSize(std::max(maxW, w_->width()), std::max(maxH, w_->height()));
    w_->suppress = false;
  }
  void Show(bool activate) override {
    w_->suppress = true;
    w_->show();
    if (activate && !Offscreen()) {
      w_->raise();
      w_->activateWindow();
    }
    w_->suppress = false;
  }
  void Hide() override { w_->hide(); }
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
  void Raise() override {
    if (Offscreen()) return;  // nothing to stack without a display
    w_->raise();
    if (!(flags_ & wfPopupNoActivate)) w_->activateWindow();
  }
  void SetEnabled(bool on) override { w_->setEnabled(on); }
  void Flush(int x, int y, int w, int h) override { w_->update(x, y, w, h); }
  void SetCaret(bool visible, int x, int y, int w, int h) override { w_->SetCaret(visible, QRect(x, y, w, h)); }
  bool CaretShown(int& x, int& y) const override { return w_->CaretOn(x, y); }
  void SetCursorShape(int cursor) override { w_->setCursor(QCursor(ShapeOf(cursor))); }
  void SetCursorImage(int w, int h, int hotX, int hotY, const std::uint32_t* argb) override {
    QImage img(reinterpret_cast<const uchar*>(argb), w, h, w * 4, QImage::Format_ARGB32);
    w_->setCursor(QCursor(QPixmap::fromImage(img.copy()), hotX, hotY));
  }
  bool IsExposed() const override { return w_->isVisible(); }
  bool GrabToPng(const std::string& path) override {
    QScreen* screen = w_->screen();
    if (!screen) return false;
    QPixmap pm = screen->grabWindow(w_->winId());
    return !pm.isNull() && pm.save(QString::fromUtf8(path.c_str()), "PNG");
  }
  void InjectKey(int key, std::uint32_t scanCode, const std::string& text, bool down) override {
    QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, scanCode, 0, 0,
                QString::fromUtf8(text.c_str()));
    QCoreApplication::sendEvent(w_, &e);
  }
  void InjectMouse(NativeInput::Kind kind, int button, int x, int y) override {
    Qt::MouseButton b = button == 1 ? Qt::RightButton : button == 2 ? Qt::MiddleButton : Qt::LeftButton;
    QEvent::Type t = kind == NativeInput::MouseDown       ? QEvent::MouseButtonPress
                     : kind == NativeInput::MouseUp       ? QEvent::MouseButtonRelease
                     : kind == NativeInput::MouseDblClick ? QEvent::MouseButtonDblClick
                                                          : QEvent::MouseMove;
    QPointF local(x, y);
    QMouseEvent e(t, local, w_->mapToGlobal(local), t == QEvent::MouseMove ? Qt::NoButton : b,
                  t == QEvent::MouseButtonRelease || t == QEvent::MouseMove ? Qt::NoButton : b, Qt::NoModifier);
    QCoreApplication::sendEvent(w_, &e);
  }

 private:
  HostWidget* w_;
  unsigned flags_ = ~0u;
};

}  // namespace

std::unique_ptr<NativeWindow> CreateNativeWindow(TSurface* surface, std::function<void(const NativeInput&)> sink) {
  qthost::EnsureGuiApplication();
  return std::make_unique<QtNativeWindow>(surface, std::move(sink));
}

void PumpEvents(int waitMs) {
  qthost::EnsureGuiApplication();
  if (waitMs <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, waitMs);
}

int ScreenWidth() {
  qthost::EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

int ScreenHeight() {
  qthost::EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

void Beep() { QApplication::beep(); }

namespace {
std::function<void()>& ModalService() {
  static std::function<void()> s;
  return s;
}

// Runs the service on a toolkit timer for the lifetime of a native dialog.
class ServiceTimer {
 public:
  ServiceTimer() {
    if (!ModalService()) return;
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (ModalService()) ModalService()();
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};
}  // namespace

void SetNativeModalService(std::function<void()> service) { ModalService() = std::move(service); }

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  qthost::EnsureGuiApplication();
  ServiceTimer service;
  QMessageBox box;
  box.setWindowTitle(QString::fromUtf8(caption.c_str()));
  box.setText(QString::fromUtf8(text.c_str()));
  switch (flags & 0xF0) {
    case 0x10: box.setIcon(QMessageBox::Critical); break;
    case 0x20: box.setIcon(QMessageBox::Question); break;
    case 0x30: box.setIcon(QMessageBox::Warning); break;
    case 0x40: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct B {
    const char* text;
    int id;
    QMessageBox::ButtonRole role;
  };
  std::vector<B> buttons;
  switch (flags & 0xF) {
    case 1: buttons = {{"OK", 1, QMessageBox::AcceptRole}, {"Abbrechen", 2, QMessageBox::RejectRole}}; break;
    case 2:
      buttons = {{"Abbrechen", 3, QMessageBox::RejectRole}, {"Wiederholen", 4, QMessageBox::AcceptRole},
                 {"Ignorieren", 5, QMessageBox::AcceptRole}};
      break;
    case 3:
      buttons = {{"Ja", 6, QMessageBox::YesRole}, {"Nein", 7, QMessageBox::NoRole},
                 {"Abbrechen", 2, QMessageBox::RejectRole}};
      break;
    case 4: buttons = {{"Ja", 6, QMessageBox::YesRole}, {"Nein", 7, QMessageBox::NoRole}}; break;
    case 5: buttons = {{"Wiederholen", 4, QMessageBox::AcceptRole}, {"Abbrechen", 2, QMessageBox::RejectRole}}; break;
    default: buttons = {{"OK", 1, QMessageBox::AcceptRole}}; break;
  }
  std::vector<QPushButton*> made;
  for (const B& b : buttons) made.push_back(box.addButton(QString::fromUtf8(b.text), b.role));
  std::size_t def = (flags & 0x200) ? 2 : (flags & 0x100) ? 1 : 0;
  if (def < made.size()) box.setDefaultButton(made[def]);
  box.exec();
  for (std::size_t i = 0; i < made.size(); ++i)
    if (box.clickedButton() == made[i]) return buttons[i].id;
  return (flags & 0xF) == 0 ? 1 : 2;
}

bool ShowFileDialog(bool save, const std::string& title, const std::string& filter, const std::string& dir,
                    std::string& file) {
  qthost::EnsureGuiApplication();
  ServiceTimer service;
  // "Text|*.txt|All|*.*" becomes "Text (*.txt);;All (*.*)".
  QStringList parts = QString::fromUtf8(filter.c_str()).split('|');
  QStringList qf;
  for (int i = 0; i + 1 < parts.size(); i += 2) qf << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  QString start = QString::fromUtf8(dir.c_str());
  if (!file.empty()) start = start.isEmpty() ? QString::fromUtf8(file.c_str()) : start + "/" + QString::fromUtf8(file.c_str());
  QString r = save ? QFileDialog::getSaveFileName(nullptr, QString::fromUtf8(title.c_str()), start, qf.join(";;"))
                   : QFileDialog::getOpenFileName(nullptr, QString::fromUtf8(title.c_str()), start, qf.join(";;"));
  if (r.isEmpty()) return false;
  file = r.toUtf8().toStdString();
  return true;
}

}  // namespace qtwin
