// TFont (see font.h).
#include "platform/gfx/font.h"

TFont::TFont() {
  request_.Name = "MS Sans Serif";
  request_.Height = -11;
}

TFont::TFont(const TFont& other)
    : TPersistent(), request_(other.request_), ppi_(other.ppi_), color_(other.color_), data_(other.data_),
      engine_(other.engine_) {}

TFont& TFont::operator=(const TFont& other) {
  Assign(other);
  return *this;
}

void TFont::Changed() {
  data_.reset();
  if (OnChange) OnChange(this);
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
  if (OnChange) OnChange(this);
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
  // The target keeps its own resolution: a font taken over from the screen
  // onto the printer keeps its size in points.
  TFontRequest next = source.request_;
  if (source.ppi_ != ppi_) next.Height = -MulDiv(source.Size(), ppi_, 72);
  bool same = request_ == next;
  request_ = next;
  color_ = source.color_;
  if (!same) {
    data_ = source.ppi_ == ppi_ ? source.data_ : nullptr;
    engine_ = source.engine_;
  }
  if (OnChange) OnChange(this);
}

void TFont::Assign(const TPersistent* source) {
  if (auto* f = dynamic_cast<const TFont*>(source))
    Assign(*f);
  else
    TPersistent::Assign(source);
}

void TFont::PublishProperties(TClassInfo& ci) {
  auto self = [](const TObject* o) { return static_cast<const TFont*>(o); };
  auto me = [](TObject* o) { return static_cast<TFont*>(o); };
  TPropInfo p;
  p.Name = "Name";
  p.Kind = TTypeKind::tkString;
  p.GetStr = [self](const TObject* o) { return self(o)->Name(); };
  p.SetStr = [me](TObject* o, const AnsiString& v) { me(o)->SetName(v); };
  ci.AddProp(p);
  auto ord = [&](const char* name, TTypeKind kind, std::function<int64_t(const TFont*)> get,
                 std::function<void(TFont*, int64_t)> set) {
    TPropInfo q;
    q.Name = name;
    q.Kind = kind;
    q.GetOrd = [get](const TObject* o) { return get(static_cast<const TFont*>(o)); };
    q.SetOrd = [set](TObject* o, int64_t v) { set(static_cast<TFont*>(o), v); };
    ci.AddProp(q);
  };
  ord("Size", TTypeKind::tkInteger, [](const TFont* f) { return f->Size(); },
      [](TFont* f, int64_t v) { f->SetSize(static_cast<int>(v)); });
  ord("Height", TTypeKind::tkInteger, [](const TFont* f) { return f->Height(); },
      [](TFont* f, int64_t v) { f->SetHeight(static_cast<int>(v)); });
  ord("Color", TTypeKind::tkInteger, [](const TFont* f) { return f->Color(); },
      [](TFont* f, int64_t v) { f->SetColor(static_cast<TColor>(v)); });
  ord("Style", TTypeKind::tkSet, [](const TFont* f) { return f->Style().Bits(); },
      [](TFont* f, int64_t v) {
        TFontStyles s;
        for (int i = 0; i < 4; ++i)
          if (v & (1 << i)) s.Include(static_cast<TFontStyle>(i));
        f->SetStyle(s);
      });
  ord("Charset", TTypeKind::tkInteger, [](const TFont* f) { return f->Charset(); },
      [](TFont* f, int64_t v) { f->SetCharset(static_cast<int>(v)); });
  ord("Pitch", TTypeKind::tkInteger, [](const TFont* f) { return static_cast<int>(f->Pitch()); },
      [](TFont* f, int64_t v) { f->SetPitch(static_cast<TFontPitch>(v)); });
}

std::shared_ptr<const TFontData> TFont::SharedData() const {
  TFontEngine& engine = FontEngine();
  if (!data_ || engine_ != &engine) {
    data_ = engine.Realize(request_);
    engine_ = &engine;
  }
  return data_;
}

const TFontData& TFont::Data() const { return *SharedData(); }

int TFont::TextWidth(const std::string& text) const { return Data().TextWidth(text.data(), text.size()); }
