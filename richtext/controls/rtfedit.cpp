// The edit control window: construction and destruction with the engine
// callbacks, the properties, the window messages (size, focus, text, dialog
// code, erase, scroll bars, wheel, clipboard messages), painting, the keys
// and page painting. Mouse handling is in mouse.cpp, the links by keyboard
// in linkkeys.cpp, the programmatic interface in editing.cpp, clipboard and
// change handling in clipboard.cpp.
#include "richtext/controls/rtfedit.h"

#include <algorithm>
#include <climits>

#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"
#include "platform/ui/windowhost.h"

namespace {

// The notch of a mouse wheel and the lines one notch scrolls.
constexpr int kWheelDelta = 120;
constexpr int kWheelLines = 3;

}  // namespace

// --- construction and destruction ----------------------------------------------------

TWPCustomRtfEdit::TWPCustomRtfEdit(TComponent* owner)
    : TWPCustomRtfEditClass(owner),
      background_(std::make_unique<TPicture>()),
      engine_(std::make_unique<TWPRTFTextInput>()) {
  SetControlStyle(ControlStyle() | csClickEvents | csDoubleClicks | csCaptureMouse | csOpaque);
  // The engine lays out once the window has a size (WindowSized).
  engine_->SetViewOptions(wpvHidePageBreaks | wpvLayoutOff);
  engine_->SetCanvas(Canvas());
  engine_->AttachedToWindow = true;
  if (!HasState(csDesigning)) InstallCallbacks();
  background_->OnChange = [this](TObject*) { RefreshBackground(); };
  caret_ = std::make_unique<TCaret>(this);
  finder_ = std::make_unique<TWPTextFinder>(engine_.get());
  finder_->EscapePressed = [this] { return EscapePressed(); };
  strings_ = std::make_unique<TWPRtfStrings>(engine_.get());
  SetParentFont(false);
  SetColor(clWindow);
  SetCursor(crIBeam);
  SetTabStop(true);
  SetParentColor(false);
  SetBounds(Left(), Top(), 100, 100);
  SetShowPageBreak(true);
  SetBackgroundScrolling(true);
  engine_->WriteBitmapMode = wbmDIBBitmap;
}

TWPCustomRtfEdit::~TWPCustomRtfEdit() {
  destroying_ = true;
  caret_.reset();
  engine_->SetCanvas(nullptr);
  ClearCallbacks();
  finder_.reset();
  strings_.reset();
  engine_.reset();
  background_->OnChange = nullptr;
  background_.reset();
}

void TWPCustomRtfEdit::InstallCallbacks() {
  TWPRTFTextInput& e = *engine_;
  e.OnHideCaret = [this] { caret_->Show(0); };
  e.OnShowCaret = [this] { caret_->Show(1); };
  e.OnPlaceCaret = [this] {
    const TRect r = engine_->CaretPlacement(ClientWidth(), ClientHeight());
    caret_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  };
  e.OnXPosChanged = [this] {
    if (OnXPosChanged) OnXPosChanged(this);
  };
  e.OnYPosChanged = [this] {
    if (OnYPosChanged) OnYPosChanged(this);
  };
  e.OnSelectionChanged = [this] {
    if (!destroying_) ReportEditState();
  };
  e.OnUpdateHScroll = [this] { UpdateHScroll(); };
  e.OnUpdateVScroll = [this] { UpdateVScroll(); };
  e.OnTextHeightCheck = [this] { TextHeightCheck(); };
  e.OnParagraphAdded = [this] {
    if (OnNewParCreatedEvent) OnNewParCreatedEvent(this);
  };
  e.OnBeep = [] { MessageBeep(0); };
  e.OnProtectedText = [this](TWPParagraphRec*, TWPLineRec* line, int offset) {
    if (!OnProtectedChange || !line || !line->pa || offset < 0 || offset >= line->Length) return;
    // The protected run around the place, within its line.
    int a = offset, b = offset + 1;
    while (a > 0 && (line->pa[a - 1].Style & wpsProtected)) --a;
    while (b < line->Length && (line->pa[b].Style & wpsProtected)) ++b;
    OnProtectedChange(this, AnsiString(line->pc + a, static_cast<size_t>(b - a)), line->pa[offset].Tag);
  };
  e.OnObjectNumbered = [this](TWPObjectEntry* entry) {
    if (!ProvideObjectEvent || !entry) return;
    TWPTextObject* obj = entry->Obj;
    ProvideObjectEvent(entry->Number, obj);
    if (obj) entry->Obj = obj;
  };
  for (TCharacterAttr* a : {&e.InsertPointAttr(), &e.AutomaticTextAttr(), &e.HyperlinkTextAttr(),
                            &e.ProtectedTextAttr(), &e.BookmarkTextAttr()}) {
    a->OnChange = [this](uint32_t, bool relayout) {
      if (!HandleAllocated() || destroying_) return;
      AttachCanvas();
      if (relayout) {
        for (TWPParagraphRec* p = engine_->FirstPar; p; p = p->next) p->ChangeFlags |= wpcBreak | wpcMeasure;
        ReformatAndRepaint();
      } else {
        engine_->PaintAll();
      }
    };
  }
}

void TWPCustomRtfEdit::ClearCallbacks() {
  TWPRTFTextInput& e = *engine_;
  e.OnHideCaret = e.OnShowCaret = e.OnPlaceCaret = nullptr;
  e.OnXPosChanged = e.OnYPosChanged = e.OnSelectionChanged = nullptr;
  e.OnUpdateHScroll = e.OnUpdateVScroll = e.OnTextHeightCheck = nullptr;
  e.OnParagraphAdded = nullptr;
  e.OnBeep = nullptr;
  e.OnProtectedText = nullptr;
  e.OnObjectNumbered = nullptr;
  e.OnBeforeInsert = nullptr;
  for (TCharacterAttr* a : {&e.InsertPointAttr(), &e.AutomaticTextAttr(), &e.HyperlinkTextAttr(),
                            &e.ProtectedTextAttr(), &e.BookmarkTextAttr()})
    a->OnChange = nullptr;
  finder_->EscapePressed = nullptr;
}

void TWPCustomRtfEdit::AttachCanvas() {
  // Inside a paint the canvas is the paint's; outside it is set onto the
  // whole visible client area again.
  if (!paintCtx_ && !destroying_) Canvas();
}

// --- properties ------------------------------------------------------------------------

void TWPCustomRtfEdit::SetRtfText(const TWPRTFTextIo* source) {
  if (!source || !ChangeCheck()) return;
  AttachCanvas();
  engine_->HideSelection();
  engine_->Assign(source);
  engine_->FormatText();
  engine_->PaintAll();
  engine_->ScrollToCursor();
  Change();
}

void TWPCustomRtfEdit::SetEditable(bool v) {
  editable_ = v;
  // A control that may not be edited is not shown by the engine's input.
  if (!v) engine_->AttachedToWindow = false;
  else engine_->AttachedToWindow = Visible();
}

void TWPCustomRtfEdit::SetReadOnly(bool v) { engine_->ReadOnly = v; }
bool TWPCustomRtfEdit::GetReadOnly() const { return engine_->ReadOnly; }

void TWPCustomRtfEdit::SetWordWrap(bool v) {
  AttachCanvas();
  engine_->SetWordWrap(v);
  engine_->PaintAll();
  engine_->UpdateCaret();
}

void TWPCustomRtfEdit::SetZooming(int percent) {
  AttachCanvas();
  engine_->SetZooming(percent);
  UpdateVScroll();
  engine_->ScrollToCursor();
  Invalidate();
}

void TWPCustomRtfEdit::SetResizing(int percent) {
  AttachCanvas();
  engine_->SetResizing(percent);
  UpdateVScroll();
  engine_->ScrollToCursor();
  Invalidate();
}

void TWPCustomRtfEdit::SetMemoryFormat(TWPMemoryFormat f) {
  memoryFormat_ = f;
  if (HasState(csDesigning)) return;
  engine_->HideSelection();
  engine_->SetMemoryFormat(f == fmPlainText ? 1 : 0);
}

void TWPCustomRtfEdit::SetShowPageBreak(bool v) {
  showPageBreak_ = v;
  const uint32_t o = engine_->ViewOptions();
  AttachCanvas();
  engine_->SetViewOptions(v ? (o & ~wpvHidePageBreaks) : (o | wpvHidePageBreaks));
  RefreshBackground();
}

void TWPCustomRtfEdit::SetScrollBars(TScrollStyle s) {
  if (s == scrollBars_) return;
  scrollBars_ = s;
  if (HandleAllocated()) RecreateWnd();
  UpdateHScroll();
  UpdateVScroll();
}

void TWPCustomRtfEdit::SetBorderStyle(TBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
}

void TWPCustomRtfEdit::SetVisible(bool v) {
  engine_->AttachedToWindow = v && editable_;
  TControl::SetVisible(v);
}

void TWPCustomRtfEdit::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  if (HandleAllocated()) RecreateWnd();
  RefreshBackground();
  UpdateVScroll();
  if (!v) engine_->BackgroundScrolls = backgroundScrolling_;
}

void TWPCustomRtfEdit::SetBackgroundImage(const TPicture* picture) {
  if (picture && dynamic_cast<const TMetafile*>(picture->Graphic()))
    throw Exception("Please use      Bitmap.");
  if (!picture) background_->SetGraphic(nullptr);
  else background_->Assign(*picture);
  RefreshBackground();
  Invalidate();
}

void TWPCustomRtfEdit::SetBackgroundScrolling(bool v) {
  backgroundScrolling_ = v;
  engine_->BackgroundScrolls = v;
}

void TWPCustomRtfEdit::RefreshBackground(bool invalidate) {
  if (transparent_) {
    // The parent's colour shows through the text; a new picture only when
    // the size or the colour changed.
    const int w = std::max(1, ClientWidth()), h = std::max(1, ClientHeight());
    const TColor c = Parent() ? Parent()->Color() : Color();
    const TBitmap* now = engine_->BackgroundPicture();
    if (!now || now->Width() != w || now->Height() != h || transparentColor_ != c) {
      TBitmap under(w, h);
      under.Canvas()->Brush()->SetColor(c);
      under.Canvas()->FillRect({0, 0, w, h});
      engine_->SetBackgroundPicture(&under);
      transparentColor_ = c;
    }
    engine_->BackgroundScrolls = false;
  } else if (background_->Graphic() && !background_->Graphic()->Empty()) {
    engine_->SetBackgroundPicture(background_->Bitmap());
  } else {
    engine_->SetBackgroundPicture(nullptr);
  }
  if (invalidate && HandleAllocated()) Invalidate();
}

void TWPCustomRtfEdit::SetTopOffset(int v) {
  v = std::max(v, 0);
  AttachCanvas();
  if (HandleAllocated()) Canvas()->SelectClipRect(nullptr);
  const int now = engine_->TopOffset;
  if (v < now) engine_->ScrollUp(now - v);
  else if (v > now) engine_->ScrollDown(v - now);
  if (!layoutReady_) engine_->TopOffset = v;  // given before the window: applied when it lays out
}

void TWPCustomRtfEdit::SetLeftOffset(int v) {
  v = std::max(v, 0);
  AttachCanvas();
  if (HandleAllocated()) Canvas()->SelectClipRect(nullptr);
  const int now = -engine_->HorzOffset;
  if (v < now) engine_->ScrollLeft(now - v);
  else if (v > now) engine_->ScrollRight(v - now);
}

void TWPCustomRtfEdit::SetNoBlockMarking(bool v) {
  if (v) HideSelection();
  engine_->NoBlockMarking = v;
}

void TWPCustomRtfEdit::SetLimitTextHeight(bool v) {
  limitTextHeight_ = v;
  if (v) {
    if (!snapshot_) snapshot_ = std::make_unique<TWPRTFTextIo>();
  } else {
    snapshot_.reset();
    snapshotValid_ = false;
  }
  UpdateHScroll();
  UpdateVScroll();
}

// --- window messages ---------------------------------------------------------------------

void TWPCustomRtfEdit::CreateParams(TCreateParams& params) {
  TWPCustomRtfEditClass::CreateParams(params);
  if (transparent_) params.ExStyle |= WS_EX_TRANSPARENT;
  params.Style |= WS_CLIPSIBLINGS;
  if (borderStyle_ == bsSingle) params.Style |= WS_BORDER;
}

void TWPCustomRtfEdit::CreateWnd() {
  TWPCustomRtfEditClass::CreateWnd();
  caret_->SetAttached(true);
  UpdateHScroll();
  UpdateVScroll();
}

void TWPCustomRtfEdit::WindowSized() {
  if (destroying_ || !engine_) return;
  const TRect c = ClientRect();
  AttachCanvas();
  const bool newHeight = engine_->VisibleHeight != c.Height();
  engine_->VisibleHeight = c.Height();
  engine_->SetWindowWidth(c.Width());
  // A new height alone lays nothing out, but may need the bar or not.
  if (newHeight && layoutReady_) UpdateVScroll();
  if (!layoutReady_ && HandleAllocated() && c.Width() > 0 && c.Height() > 0) {
    // The first size: the engine measures for this window and lays out.
    layoutReady_ = true;
    const int top = engine_->TopOffset;
    engine_->TopOffset = 0;
    engine_->SetCanvas(Canvas());
    engine_->SetViewOptions(engine_->ViewOptions() & ~wpvLayoutOff);
    UpdateVScroll();
    if (top > 0) SetTopOffset(top);
  }
  if (transparent_) RefreshBackground(false);
}

void TWPCustomRtfEdit::WndProc(TMessage& m) {
  if (polling_) {
    // Input that arrives while a long loop looks for Escape is not for the
    // text under the loop: Escape is noted, everything else dropped.
    if (m.Msg == WM_KEYDOWN && m.WParam == static_cast<WPARAM>(VK_ESCAPE)) escapeSeen_ = true;
    if ((m.Msg >= WM_KEYFIRST && m.Msg <= WM_KEYLAST) || (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) ||
        m.Msg == WM_CUT || m.Msg == WM_PASTE || m.Msg == WM_SETTEXT)
      return;
  }
  AttachCanvas();
  TWPCustomRtfEditClass::WndProc(m);
}

void TWPCustomRtfEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      TWPCustomRtfEditClass::Dispatch(m);
      WindowSized();
      return;
    case WM_SETFOCUS:
      TWPCustomRtfEditClass::Dispatch(m);
      if (HandleAllocated() && !HasState(csDesigning) && Focused()) {
        caret_->SetAttached(true);
        caret_->CreateCaret();
        caret_->Show(1);
        if (!engine_->IsEmpty() || engine_->CursorPar) engine_->UpdateCaret();
        ReportEditState();
        // Reached by Tab, a text that cannot be written stands on its first
        // link, by Shift+Tab on its last; otherwise on the link it had (the
        // window a followed link opened was closed).
        if (ReadOnly() && GetKeyState(VK_TAB) < 0 && GetKeyState(VK_CONTROL) >= 0) {
          SetLinkFocus(-1, 0);
          StepLink(GetKeyState(VK_SHIFT) >= 0, false);
        } else {
          ShowLinkFocus(true);
        }
      }
      return;
    case WM_KILLFOCUS:
      if (HandleAllocated()) caret_->Show(0);
      ShowLinkFocus(false);
      TWPCustomRtfEditClass::Dispatch(m);
      return;
    case WM_SETTEXT:
      if (HandleAllocated()) {
        SetPlainText(reinterpret_cast<const char*>(m.LParam));
        m.Result = 1;
        return;
      }
      break;
    case WM_GETTEXTLENGTH:
      // The window's text is the document's plain text.
      m.Result = TextLength();
      return;
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(m.LParam);
      const int cap = static_cast<int>(std::min<WPARAM>(m.WParam, INT_MAX));
      m.Result = buf && cap > 0 ? engine_->CopyText(buf, nullptr, cap) : 0;
      return;
    }
    case WM_GETDLGCODE:
      // Arrows, all keys (Enter and Escape edit) and characters; Tab too.
      m.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS | (wantTabs_ ? DLGC_WANTTAB : 0);
      return;
    case WM_ERASEBKGND:
      if (transparent_ || engine_->BackgroundPicture()) {
        m.Result = 1;
        return;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
      ScrollMessage(m.Msg == WM_VSCROLL, LoWord(m.WParam), HiWord(m.WParam));
      return;
    case WM_MOUSEWHEEL:
      Wheel(static_cast<int16_t>(HiWord(m.WParam)));
      m.Result = 1;
      return;
    case WM_CUT:
      if (ChangeCheck()) CutToClipboard();
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case WM_SETCURSOR:
      if (overLink_ && hyperLinkCursor_ != 0) {
        ::SetCursor(hyperLinkCursor_);
        m.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TWPCustomRtfEditClass::Dispatch(m);
      if (!inFontChange_) TakeFontAsWritingAttr(true);
      return;
    case CM_ENTER:
      if (selectOnEnter_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      break;
    case CN_COMMAND:
      if (HiWord(m.WParam) == 768) {
        Change();
        return;
      }
      break;
    default: break;
  }
  TWPCustomRtfEditClass::Dispatch(m);
}

void TWPCustomRtfEdit::Paint() {
  if (!HandleAllocated() || !engine_) return;
  // Painting paints: only a layout still owed is completed first.
  if (engine_->LayoutPending()) engine_->FormatText();
  if (transparent_) RefreshBackground(false);
  if (HasState(csDesigning)) {
    TCanvas* c = Canvas();
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(ClientRect());
    return;
  }
  if (scrolling_) EndScrolling();
  if (Visible()) engine_->PaintVisible();
  if (Focused()) engine_->UpdateCaret();
}

// --- scroll bars --------------------------------------------------------------------------

void TWPCustomRtfEdit::UpdateHScroll() {
  if (!HandleAllocated() || destroying_ || !engine_) return;
  if (scrollBars_ != ssHorizontal && scrollBars_ != ssBoth) {
    if (scrolling_) hRangeSet_ = true;
    else SetScrollRange(SB_HORZ, 0, 0, false);
    return;
  }
  const int layoutWidth = Header()->LayoutWidth, visible = engine_->WindowWidth();
  if (!engine_->WordWrap() && layoutWidth > visible && visible > 0) {
    SetScrollRange(SB_HORZ, 0, 1000, false);
    SetScrollPos(SB_HORZ, MulDiv(-engine_->HorzOffset, 1000, layoutWidth - visible), true);
  } else {
    SetScrollPos(SB_HORZ, 0, false);
    SetScrollRange(SB_HORZ, 0, 0, false);
  }
}

void TWPCustomRtfEdit::UpdateVScroll() {
  if (!HandleAllocated() || destroying_ || !engine_) return;
  if (scrollBars_ != ssVertical && scrollBars_ != ssBoth) {
    if (scrolling_) vRangeSet_ = true;
    else SetScrollRange(SB_VERT, 0, 0, false);
  } else if (engine_->TotalHeight <= engine_->VisibleHeight) {
    if (engine_->TopOffset > 0) {
      engine_->TopOffset = 0;
      engine_->PaintAll();
      engine_->UpdateCaret();
    }
    SetScrollRange(SB_VERT, 0, 0, false);
  } else {
    const int64_t room = static_cast<int64_t>(engine_->TotalHeight) - engine_->VisibleHeight;
    SetScrollRange(SB_VERT, 0, 1000, false);
    SetScrollPos(SB_VERT, static_cast<int>(std::min<int64_t>(1000, engine_->TopOffset * int64_t{1000} / room)), true);
  }
  // Showing or hiding the bar changed the width left for the text.
  engine_->SetWindowWidth(ClientWidth());
}

void TWPCustomRtfEdit::EndScrolling() {
  scrolling_ = false;
  if (hRangeSet_) SetScrollRange(SB_HORZ, 0, 0, false);
  if (vRangeSet_) SetScrollRange(SB_VERT, 0, 0, false);
  hRangeSet_ = vRangeSet_ = false;
}

void TWPCustomRtfEdit::ScrollMessage(bool vertical, int code, int thumb) {
  if (code < 0 || code > 8) return;
  scrolling_ = true;
  if (vertical) {
    const int64_t room = std::max<int64_t>(0, static_cast<int64_t>(engine_->TotalHeight) - engine_->VisibleHeight);
    engine_->VScrollCommand(code, static_cast<int>(room * thumb / 1000));
  } else {
    const int64_t room = std::max<int64_t>(0, static_cast<int64_t>(Header()->LayoutWidth) - engine_->WindowWidth());
    engine_->HScrollCommand(code, static_cast<int>(room * thumb / 1000));
  }
}

void TWPCustomRtfEdit::Wheel(int delta) {
  // Three lines per notch, as the scroll bar's line steps.
  const int notches = std::max(1, std::abs(delta) / kWheelDelta);
  for (int i = 0; i < notches * kWheelLines; ++i)
    engine_->VScrollCommand(delta > 0 ? wpsbLineUp : wpsbLineDown, 0);
}

// --- keys ----------------------------------------------------------------------------------

void TWPCustomRtfEdit::TabKeyIndent(bool, char&) {}

void TWPCustomRtfEdit::KeyDown(Word& key, TShiftState shift) {
  TWPCustomRtfEditClass::KeyDown(key, shift);
  if (key == 0 || !Focused() || !Visible()) return;
  const bool sh = shift & ssShift, ctrl = shift & ssCtrl;
  TWPRTFTextInput& e = *engine_;
  // A move without Shift leaves no selection behind.
  auto move = [&](auto&& step) {
    if (!sh) HideSelection();
    step();
  };
  // Without a caret the control is a viewer: the moving keys scroll the
  // view, since an invisible cursor moving inside it would show nothing.
  if (CaretDisabled()) {
    int command = -1;
    switch (key) {
      case VK_UP: command = wpsbLineUp; break;
      case VK_DOWN: command = wpsbLineDown; break;
      case VK_PRIOR: command = wpsbPageUp; break;
      case VK_NEXT: command = wpsbPageDown; break;
      case VK_HOME: command = wpsbTop; break;
      case VK_END: command = wpsbBottom; break;
      default: break;
    }
    if (command >= 0) {
      e.VScrollCommand(command, 0);
      key = 0;
      return;
    }
  }
  switch (key) {
    case VK_TAB:
      if (ctrl) {
        // Ctrl+Tab leaves a text that takes Tab itself (with Shift backwards).
        if (!sh && CtrlTabPressed) CtrlTabPressed(this);
        else if (TCustomForm* f = GetParentForm(this)) f->SelectNext(this, !sh, true);
      } else if (ReadOnly()) {
        // A text that cannot be written passes Tab on: through its links,
        // then to the window's next control.
        StepLink(!sh, true);
      } else if (!sh) {
        char k = '\t';
        TabKeyIndent(false, k);
        if (k && ChangeCheck()) {
          e.InputString("\t");
          Change();
        }
      } else if (ShiftTabPressed) {
        ShiftTabPressed(this);
      } else if (TCustomForm* f = GetParentForm(this)) {
        // Shift+Tab leaves the text backwards, as Tab does forwards where
        // no tab can be typed.
        f->SelectNext(this, false, true);
      }
      key = 0;
      break;
    case VK_RETURN:
      if (ReadOnly() && FollowFocusedLink()) {
        key = 0;
        break;
      }
      if (ChangeCheck()) {
        e.InputString(ctrl ? "\x0c" : sh ? "\x0a" : "\x0d");
        Change();
      }
      key = 0;
      break;
    case VK_PRIOR:
    case VK_NEXT:
      if (ctrl) e.VScrollCommand(key == VK_PRIOR ? wpsbPageUp : wpsbPageDown, 0);
      else move([&] { e.CursorCommand(key == VK_PRIOR ? ccPageUp : ccPageDown, sh); });
      break;
    case VK_HOME:
    case VK_END: {
      const bool home = key == VK_HOME;
      move([&] { e.CursorCommand(ctrl ? (home ? ccTextStart : ccTextEnd) : (home ? ccLineStart : ccLineEnd), sh); });
      break;
    }
    case VK_LEFT:
      move([&] { ctrl ? e.WordLeft(1, sh) : e.CursorLeft(1, sh); });
      break;
    case VK_RIGHT:
      move([&] { ctrl ? e.WordRight(1, sh) : e.CursorRight(1, sh); });
      break;
    case VK_UP:
      move([&] { e.CursorUp(1, sh); });
      break;
    case VK_DOWN:
      move([&] { e.CursorDown(1, sh); });
      break;
    case VK_INSERT:
      if (ctrl) {
        CopyToClipboard();
      } else if (sh) {
        PasteFromClipboard();
      } else {
        e.InsertMode = !e.InsertMode;
        e.UpdateCaretSize();
        e.UpdateCaret();
      }
      break;
    case 'B':
    case 'I':
    case 'U':
      // Strg+B, Strg+I and Strg+U switch bold, italic and underline as the
      // tool bar's buttons do.
      if (ctrl && !sh && !(shift & ssAlt)) {
        TWPAttrRecord a;
        a.Style = key == 'B' ? wpsBold : key == 'I' ? wpsItalic : wpsUnderline;
        ToolBarAttrCommand((e.WritingAttr.Style & a.Style) ? wpmRemoveStyle : wpmAddStyle, a);
        key = 0;
      }
      break;
    case VK_DELETE:
      deleteKey_ = true;
      if (ctrl || sh) {
        CutToClipboard();
      } else if (ChangeCheck()) {
        e.InputString("\x7f");
        Change();
      }
      deleteKey_ = false;
      break;
    default: break;
  }
}

void TWPCustomRtfEdit::KeyPress(char& key) {
  TWPCustomRtfEditClass::KeyPress(key);
  if (key == 0 || !Focused() || !Visible()) return;
  const unsigned char c = static_cast<unsigned char>(key);
  switch (c) {
    case 1:  // Ctrl+A, as in every text field
      SelectAll();
      ReportEditState();
      return;
    case 3:
      CopyToClipboard();
      return;
    case 22:
      PasteFromClipboard();
      return;
    case 24:
      CutToClipboard();
      return;
    case 27:
      if (engine_->BlockStart.Par || engine_->BlockEnd.Par) {
        engine_->ClearBlock();
        engine_->PaintAll();
        ReportEditState();
      }
      return;
    default: break;
  }
  if (c < 32 && c != 8) return;
  if (c == 8 && !engine_->HasBlock() && engine_->CursorPar && engine_->CursorPar->LeftIndent > 0) {
    // BackSpace at the start of an indented paragraph takes back what Tab
    // put there, before it joins the paragraph to the one above.
    char tab = '\t';
    TabKeyIndent(true, tab);
    if (!tab) return;
  }
  if (!ChangeCheck()) return;
  // Typed text is never hidden.
  engine_->WritingAttr.Style &= ~wpsHidden;
  engine_->InputString(std::string(1, key));
  Change();
}

// --- page painting -------------------------------------------------------------------------

int TWPCustomRtfEdit::PaintPage(int mode, TCanvas* canvas, int x, int y, int width, int height, int line) {
  switch (mode) {
    case 2:
      engine_->BeginPagePaint(canvas, width, height);
      return 0;
    case 4:
      AttachCanvas();
      engine_->EndPagePaint();
      engine_->PaintAll();
      return 0;
    default:
      return engine_->PaintPageArea(x, y, height, line, mode == 0);
  }
}

// --- Escape during long loops ---------------------------------------------------------------

bool TWPCustomRtfEdit::EscapePressed() {
  if (!escapeSeen_ && HasWindowHost() && !polling_) {
    // Input waiting for the windows is taken in now; WndProc keeps it away
    // from the text and notes Escape.
    polling_ = true;
    TScopeExit polled{[this] { polling_ = false; }};
    WindowHost().PumpEvents();
  }
  // Held now, or pressed since the last question (a press and release
  // taken in by one pump).
  if (GetAsyncKeyState(VK_ESCAPE) != 0) escapeSeen_ = true;
  const bool seen = escapeSeen_;
  escapeSeen_ = false;
  return seen;
}
