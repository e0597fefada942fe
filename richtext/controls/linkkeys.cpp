// The links of the edit control by keyboard: Tab and Shift+Tab step the
// focused link through the shown texts of the links of a text that cannot
// be written, scrolling it into view, and Enter follows it as a click
// would. The frame of the focused link shows only while the control has
// the focus.
#include <algorithm>

#include "platform/ui/forms.h"
#include "richtext/controls/rtfedit.h"

std::vector<std::pair<int, int>> TWPCustomRtfEdit::LinkSpans() const {
  std::vector<std::pair<int, int>> spans;
  int position = 0;
  for (const TWPParagraphRec* p = engine_->FirstPar; p; p = p->next, ++position) {
    bool inLink = false;  // a link's text may run on into the next line
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i, ++position) {
        const bool shown = l->pa && (l->pa[i].Style & (wpsHyperlink | wpsHidden)) == wpsHyperlink;
        if (shown && inLink) ++spans.back().second;
        else if (shown) spans.push_back({position, 1});
        inLink = shown;
      }
  }
  return spans;
}

void TWPCustomRtfEdit::SetLinkFocus(int start, int length) {
  TWPRTFTextInput& e = *engine_;
  if (e.FocusMarkStart == start && e.FocusMarkLength == length && e.FocusMarkShown == (length > 0)) return;
  e.FocusMarkStart = start;
  e.FocusMarkLength = length;
  e.FocusMarkShown = length > 0;
  Invalidate();
}

void TWPCustomRtfEdit::ShowLinkFocus(bool shown) {
  TWPRTFTextInput& e = *engine_;
  if (e.FocusMarkLength <= 0 || e.FocusMarkShown == shown) return;
  e.FocusMarkShown = shown;
  Invalidate();
}

void TWPCustomRtfEdit::StepLink(bool forward, bool leave) {
  const std::vector<std::pair<int, int>> spans = LinkSpans();
  const int now = engine_->FocusMarkLength > 0 ? engine_->FocusMarkStart : -1;
  const std::pair<int, int>* next = nullptr;
  for (const auto& span : spans)
    if (forward ? span.first > now : (now < 0 ? false : span.first < now)) {
      next = &span;
      if (forward) break;
    }
  // Shift+Tab into the text comes from behind: its last link.
  if (!forward && !leave && !spans.empty()) next = &spans.back();
  if (!next) {
    SetLinkFocus(-1, 0);
    if (leave)
      if (TCustomForm* f = GetParentForm(this)) f->SelectNext(this, forward, true);
    return;
  }
  SetLinkFocus(next->first, next->second);
  // Into view: the lines of the link's text.
  TWPParagraphRec* par = nullptr;
  TWPLineRec* first = nullptr;
  TWPLineRec* last = nullptr;
  int offset = 0;
  if (!engine_->FindPosition(offset, first, par, next->first + 1, 0) ||
      !engine_->FindPosition(offset, last, par, next->first + next->second, 0))
    return;
  const int view = engine_->VisibleHeight, top = engine_->TopOffset;
  if (last->Top + last->Height > top + view) SetTopOffset(std::min(first->Top, last->Top + last->Height - view));
  else if (first->Top < top) SetTopOffset(first->Top);
}

bool TWPCustomRtfEdit::FollowFocusedLink() {
  if (engine_->FocusMarkLength <= 0) return false;
  TWPParagraphRec* par = nullptr;
  TWPLineRec* line = nullptr;
  int offset = 0;
  LinkHit hit;
  // The position after the link's first character: within its line.
  if (!engine_->FindPosition(offset, line, par, engine_->FocusMarkStart + 1, 0) ||
      !LinkFrom(par, line, offset - 1, hit))
    return false;
  FireHyperlink(hit);
  return true;
}
