// TFont: the font description a control or canvas carries. Size (points) and
// Height (pixels) are two views of one value, tied by PixelsPerInch:
// Height = -MulDiv(Size, PixelsPerInch, 72). The realised font (metrics,
// advances) is fetched lazily from the font engine and cached until the
// description changes. The requested Name stays what the caller set, even
// when another installed family draws it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gfx/device.h"
#include "platform/rtl/components.h"

class TFont : public TPersistent {
  ORV_CLASS_PUBLISHED(TFont, TPersistent)
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);

  const std::string& Name() const { return request_.Name; }
  void SetName(const std::string& name);
  int Size() const;
  void SetSize(int points);
  int Height() const { return request_.Height; }
  void SetHeight(int pixels);
  // Resolution of the target device; changing it keeps Height (so Size changes).
  int PixelsPerInch() const { return ppi_; }
  void SetPixelsPerInch(int ppi);
  // Width in pixels of `text` drawn in this font, measured without a canvas.
  int TextWidth(const std::string& text) const;
  TFontStyles Style() const { return request_.Style; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontPitch Pitch() const { return request_.Pitch; }
  void SetPitch(TFontPitch pitch);
  int Charset() const { return request_.Charset; }
  void SetCharset(int charset);

  // Takes over every property (and fires OnChange once); this font keeps its
  // PixelsPerInch, so across resolutions the size in points is kept.
  void Assign(const TFont& source);
  void Assign(const TPersistent* source) override;
  // Called after every change that alters the font (sender: the font).
  TNotifyEvent OnChange;

  // The realised font of the current description.
  const TFontData& Data() const;
  std::shared_ptr<const TFontData> SharedData() const;
  const TFontRequest& Request() const { return request_; }

private:
  void Changed();
  TFontRequest request_;
  int ppi_ = 96;
  TColor color_ = clWindowText;
  mutable std::shared_ptr<const TFontData> data_;
  // The engine that realised data_: a font measured before the toolkit was
  // installed is realised again by the toolkit's engine.
  mutable const TFontEngine* engine_ = nullptr;
};
