// The status bars of the rich-text controls. TWPStatusBarBasic shows a row
// of at most 24 panels defined by the lines of its Strings (text panels of
// a kind, a requested width and style flags), optionally a segmented gauge
// that follows the engine's progress reports, and a size grip.
// TWPAltStatusBar keeps the panels and properties and replaces only the
// painting and the panel layout: flat panels that fill the bar, a gauge in
// the last panel and a larger grip.
//
// Invariants:
//  - at most 23 panels come from Strings; the gauge panel (kind stGauge,
//    value -1) is the 24th and is present exactly while ShowGauge is on;
//  - GaugeValue stays within 0..100, GaugeWidth within 4..width - 4 once set;
//  - the bar becomes the engine's progress receiver when ShowGauge or
//    UseGaugeForWP is switched on, and stops being it when ShowGauge is
//    switched off, when UseGaugeForWP is switched off with the gauge
//    hidden, and when it is freed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/classes.h"
#include "richtext/controls/barlinks.h"

// A press on a panel: its kind, text and index.
using TWPStatusBarSelectEvent =
    std::function<void(TObject* Sender, int kind, const AnsiString& text, int index)>;
using TWPStatusBarUpdateEvent = std::function<void(TObject* Sender)>;

// Style flags of a panel.
constexpr uint8_t wpsfFrame = 1;    // "@": raised frame (sunken with wpsfLower)
constexpr uint8_t wpsfLower = 2;    // "$": sunken with wpsfFrame, text a pixel lower
constexpr uint8_t wpsfGrey = 4;     // "%": shadow-colour text
constexpr uint8_t wpsfColorText = 8;
constexpr uint8_t wpsfColorBack = 16;

constexpr int kWPMaxPanels = 24;

struct TWPStatusPanel {
  AnsiString Text;
  int Value = 0;  // index of the definition line; -1 for the gauge
  uint8_t Kind = stString;
  int Width = 0;  // requested
  int Left = 0;
  int ActWidth = 0;
  uint8_t Style = 0;
  TColor Color = clBtnFace;
};

class TWPStatusBarBasic : public TWPCustomStatusBar {
  ORV_CLASS(TWPStatusBarBasic, TWPCustomStatusBar)
  explicit TWPStatusBarBasic(TComponent* owner);
  ~TWPStatusBarBasic() override;

  // ===== properties =============================================================
  TStrings* Strings() const { return strings_.get(); }
  void SetStrings(const TStrings* lines);
  bool ShowGauge() const { return showGauge_; }
  void SetShowGauge(bool v);
  bool UseGaugeForWP() const { return useGaugeForWP_; }
  void SetUseGaugeForWP(bool v);
  bool ShowSizer() const { return showSizer_; }
  void SetShowSizer(bool v);
  int GaugeValue() const { return gaugeValue_; }
  void SetGaugeValue(int percent);
  int GaugeWidth() const { return gaugeWidth_; }
  void SetGaugeWidth(int pixels);
  // Vertical place of the text row: 0 top, 1 middle, 2 bottom.
  int TextPlacement() const { return placement_; }
  void SetTextPlacement(int v);

  TWPStatusBarSelectEvent OnSelection;
  TWPStatusBarUpdateEvent OnUpdate;

  // ===== panels ==================================================================
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const TWPStatusPanel& Panel(int i) const { return panels_.at(static_cast<size_t>(i)); }
  // Sets the text of the first panel of a kind and repaints it; False when
  // no panel has that kind.
  bool SetPanelText(const AnsiString& text, int kind) override;
  bool ReceivesProgress() const override;
  // Fires OnUpdate, lets the attached control refresh its panels, then
  // updates the window.
  void UpdateStatus();
  // The top and bottom of the text row.
  int RowTop() const { return rowTop_; }
  int RowBottom() const { return rowBottom_; }

protected:
  void Paint() override;
  void Resize() override;
  void Dispatch(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  // ===== painting and layout, replaced by the alternative bar ===================
  virtual void PaintGauge(TCanvas& c, const TRect& r);
  virtual void PaintSizer(TCanvas& c);
  virtual void PaintPanel(TCanvas& c, int index);
  virtual void PaintBar(TCanvas& c);
  virtual void AfterPaint(TCanvas&) {}
  virtual void LayoutPanels();

  std::vector<TWPStatusPanel> panels_;
  // The text row (recomputed at every paint).
  void ComputeRow(TCanvas& c);
  int rowTop_ = 3, rowBottom_ = 16;
  // Draws a panel's text with its colours; shared by both bars.
  void PaintPanelText(TCanvas& c, const TWPStatusPanel& p, const TRect& r);

private:
  void BuildPanels();
  void Remeasure();
  void InstallProgress(bool on);
  int TextWidthOf(const AnsiString& s);
  void RepaintPanel(int index);

  std::unique_ptr<TStringList> strings_;
  bool showGauge_ = false;
  bool useGaugeForWP_ = false;
  bool showSizer_ = false;
  int gaugeValue_ = 0;
  int gaugeWidth_ = 100;
  int placement_ = 1;
};

class TWPAltStatusBar : public TWPStatusBarBasic {
  ORV_CLASS(TWPAltStatusBar, TWPStatusBarBasic)
  explicit TWPAltStatusBar(TComponent* owner) : TWPStatusBarBasic(owner) {}

protected:
  void PaintGauge(TCanvas& c, const TRect& r) override;
  void PaintSizer(TCanvas& c) override;
  void PaintPanel(TCanvas& c, int index) override;
  void PaintBar(TCanvas& c) override;
  void LayoutPanels() override;
};
