// TFont (see font.h).
#include "platform/gfx/font.h"

TFont::TFont() {
  request_.Name = "MS Sans Serif";
  request_.Height = -11;
}

TFont::TFont(const TFont& other)
    : request_(other.request_), ppi_(other.ppi_), color_(other.color_), data_(other.data_) {}

TFont& TFont::operator=(const TFont& other) {
  Assign(other);
  return *this;
}

void TFont::Changed() {
  data_.reset();
  if (OnChange) OnChange();
}

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == request_.Name) return;
  request_.Name = name;
  Changed();
}

int TFont::Size() const { return -MulDiv(request_.Height, 72, ppi_); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ppi_, 72)); }

void TFont::SetHeight(int pixels) {
  if (pixels == request_.Height) return;
  request_.Height = pixels;
  Changed();
}

void TFont::SetPixelsPerInch(int ppi) {
  if (ppi > 0) ppi_ = ppi;
}

void TFont::SetStyle(TFontStyles style) {
  if (style == request_.Style) return;
  request_.Style = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (OnChange) OnChange();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == request_.Pitch) return;
  request_.Pitch = pitch;
  Changed();
}

void TFont::SetCharset(int charset) {
  if (charset == request_.Charset) return;
  request_.Charset = charset;
  Changed();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  bool same = request_ == source.request_;
  request_ = source.request_;
  ppi_ = source.ppi_;
  color_ = source.color_;
  if (!same) data_ = source.data_;
  if (OnChange) OnChange();
}

std::shared_ptr<const TFontData> TFont::SharedData() const {
  if (!data_) data_ = FontEngine().Realize(request_);
  return data_;
}

const TFontData& TFont::Data() const { return *SharedData(); }
