// TfrmPreview "Vorschau": the common print surface of the program. The
// printed lists and the template sheets are written into its editable
// rich-text document, which the user may still change (fonts, paragraphs,
// page) and prints from its tool bar: on a printer of the print system or
// into a PDF file. Around the document stand the engine's tool bar (font
// name, size and colour; save, print, print setup; copy, cut, paste, select
// all; and the window's own buttons for the paragraph and the page
// dialogs), the ruler and a status bar with column, page and line. The
// tool bar's buttons are in the Tab order (Ctrl+Tab leaves the document),
// Strg+S saves and Strg+P prints.
//
// A creator makes the window, clears its document, sets the page
// (SetPageLayout), writes the text into WPRichText1, then shows it modally
// and frees it: RunPreview does these steps around the writing.
//
// Invariants: the printer's orientation follows the document's page
// (landscape exactly while the page is wider than high) whenever the
// window is shown and after every page change; the paragraph and page
// dialogs change the document only when confirmed.
#pragma once

#include <functional>

#include "app/base/orvform.h"
#include "app/settings/settings.h"
#include "richtext/bars/ruler.h"
#include "richtext/bars/statusbar.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/richtext.h"
#include "widgets/explorerbtn.h"

class TfrmPreview : public TOrvelanForm {
  ORV_CLASS(TfrmPreview, TOrvelanForm)

 public:
  explicit TfrmPreview(TComponent* owner);

  TWPToolBar* WPToolBar1;
  TExplorerButton *pbParProps, *pbSeite;
  TWPRuler* WPRuler1;
  TWPAltStatusBar* WPAltStatusBar1;
  TWPRichText* WPRichText1;

  // The printer's orientation by the document's page.
  void SetPrinterOrientation();
  // The paragraph dialog on the cursor's paragraph (or the selected ones).
  void pbParPropsClick();
  // The page dialog on the document's page.
  void pbSeiteClick();
  // Chooses the printer (a PDF file asks for its name) and prints the
  // whole document; false when the choice was cancelled.
  bool PrintDocument();
  void pbExitClick();

 private:
  void FormShow();
  void FormResize();
  void FormKeyDown(Word& key, TShiftState shift);
  void FormKeyUp(Word& key);
  void XPosChanged();
  void YPosChanged();
  void IconSelection(TWpSelNr& typ, int group, int number);
  TPoint MinimumSize() override;
};

// The paragraph dialog on the cursor's paragraph's record (first-line,
// left and right indent, space before, line height, space after); Ok gives
// the values it shows to the selected paragraphs (or the cursor's), and
// changes nothing where every one of them has them already. True when
// the text changed.
bool EditParagraphs(TWPCustomRtfEdit* edit);
// The document's page as the page part of a page block.
void ReadPageRecord(TWPCustomRtfEdit* edit, PageSettings& page);
// Sets a page block's page on the document.
void ApplyPageRecord(TWPCustomRtfEdit* edit, const PageSettings& page);

// Makes the preview, clears its document and sets the page block's page,
// lets `write` fill WPRichText1, shows the window modally and frees it.
void RunPreview(const PageSettings& page, const std::function<void(TfrmPreview*)>& write);
