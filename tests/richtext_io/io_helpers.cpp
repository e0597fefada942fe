// Canonical model dump and random documents for the rich-text I/O tests.
#include "tests/richtext_io/io_helpers.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace rtio_test {

namespace {

void Add(std::string& s, const char* fmt, long long a) {
  char b[64];
  std::snprintf(b, sizeof b, fmt, a);
  s += b;
}

std::string Hexed(const std::string& d) {
  static const char* h = "0123456789abcdef";
  std::string out;
  for (unsigned char c : d) {
    out.push_back(h[c >> 4]);
    out.push_back(h[c & 15]);
  }
  return out;
}

std::string AttrKey(const TWPRTFTextIo& t, const TWPAttrRecord& a, unsigned char c) {
  std::string k;
  const uint32_t st = a.Style & (kRtfRunStyles | wpsFootnote | wpsObject) & ~wpsBookmark;
  k += "f=" + t.Header->FontName(a.Font);
  Add(k, " s=%lld", a.Size ? a.Size : 10);
  Add(k, " c=%llx", a.Colors);
  Add(k, " st=%llx", st);
  if (a.Style & wpsBookmark) {
    k += " bm=";
    k += a.Tag < t.BookmarkNames.Count() ? t.BookmarkNames.Strings(a.Tag) : "?";
  }
  if (a.Style & wpsInsertPoint) Add(k, " ip=%lld", a.Tag);
  if (a.Style & wpsFootnote) {
    const TWPFootnoteEntry* f = t.FindFootnote(a.Tag);
    k += " fn=";
    if (f) {
      Add(k, "%lld:", f->MarkChar);
      k += Hexed(f->Text);
    }
  }
  if ((a.Style & wpsObject) && (c == 1 || c == 2)) {
    const TWPObjectEntry* e = c == 1 ? t.FindObject(a.Tag, 0) : t.FindObject(0, a.Tag);
    k += " obj=";
    if (!e) {
      k += "missing";
    } else {
      Add(k, "%lld", e->Width);
      Add(k, "x%lld", e->Height);
      if (const auto* p = dynamic_cast<const TWPPictureObject*>(e->Obj)) {
        Add(k, " kind=%lld", p->Kind);
        Add(k, " pix=%lld", p->PixWidth);
        Add(k, "x%lld", p->PixHeight);
        Add(k, " goal=%lld", p->GoalWidth);
        Add(k, "x%lld", p->GoalHeight);
        Add(k, " bits=%lld", p->BitsPerPixel);
        Add(k, " wb=%lld", p->WidthBytes);
        k += " data=" + Hexed(p->Data);
      } else if (e->Obj) {
        k += " other";
      }
    }
  }
  return k;
}

}  // namespace

std::string Dump(const TWPRTFTextIo& t) {
  std::string s;
  const TTextHeader& h = *t.Header;
  Add(s, "page %lld", h.PageWidth);
  Add(s, "x%lld", h.PageHeight);
  Add(s, " margins %lld", h.MarginLeft);
  Add(s, " %lld", h.MarginRight);
  Add(s, " %lld", h.MarginTop);
  Add(s, " %lld\n", h.MarginBottom);
  s += "colours";
  for (int i = 0; i < 15; ++i) Add(s, " %06llx", h.Colors[i]);
  s += "\ninfo [" + h.Title + "][" + h.Subject + "][" + h.Comment + "]";
  Add(s, " facing=%lld", h.FacingPages);
  Add(s, " landscape=%lld\n", h.Landscape);
  for (int i = 0; i < kWPFontCount && !h.FontNames[i].empty(); ++i) {
    const int fam = (h.FontFamily[i] >> 4) & 0xF;
    s += "font " + h.FontNames[i];
    Add(s, " fam=%lld", fam >= 2 && fam <= 5 ? fam : 0);
    Add(s, " cs=%lld\n", h.FontCharset[i]);
  }
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    const bool cell = p->Flags & wppTableCell;
    s += "par";
    Add(s, " al=%lld", p->Align);
    Add(s, " fi=%lld", p->FirstIndent);
    Add(s, " li=%lld", p->LeftIndent);
    Add(s, " ri=%lld", p->RightIndent);
    Add(s, " sb=%lld", p->SpaceBefore);
    Add(s, " sa=%lld", p->SpaceAfter);
    Add(s, " sl=%lld", p->LineSpacing);
    Add(s, " fl=%llx", p->Flags & (wppPageBreak | wppRowContinues | wppRowGoesOn | wppTableCell | wppKeepTogether));
    Add(s, " bf=%llx", p->BorderFlags & ~kBrdNotPassed);
    Add(s, " bs=%llx", p->BorderStyle);
    Add(s, " bw=%lld", p->BorderWidth);
    Add(s, " bc=%llx", p->BorderColor);
    Add(s, " sh=%llx", p->Shading);
    Add(s, " sp=%lld", p->ShadingPercent);
    if (cell) {
      Add(s, " col=%lld", p->ColStart);
      Add(s, "+%lld", p->ColWidth);
    }
    s += " tabs";
    std::vector<std::pair<int, int>> tabs;
    for (int i = 0; i < kWPTabSlots; ++i)
      if ((p->Tabs >> i & 1) && h.TabTwips[i] > 0) tabs.emplace_back(h.TabTwips[i], h.TabKind[i]);
    std::sort(tabs.begin(), tabs.end());
    for (auto [pos, kind] : tabs) {
      Add(s, " %lld", pos);
      Add(s, "/%lld", kind);
    }
    s += "\n";
    std::string last;
    for (const TWPLineRec* l = p->line; l; l = l->next) {
      for (int i = 0; i < l->Length; ++i) {
        const unsigned char c = static_cast<unsigned char>(l->pc[i]);
        const std::string k = l->pa ? AttrKey(t, l->pa[i], c) : std::string("plain");
        if (k != last) {
          s += "\n  [" + k + "] ";
          last = k;
        }
        Add(s, "%02llx", c);
      }
    }
    s += "\n";
  }
  return s;
}

namespace {

std::string Dib(std::mt19937& rng, int w, int h, int bits) {
  const int stride = ((w * bits + 31) / 32) * 4;
  const int colours = bits <= 8 ? (1 << bits) : 0;
  std::string d(40 + colours * 4 + stride * h, '\0');
  auto put32 = [&d](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<char>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, w);
  put32(8, h);
  d[12] = 1;
  d[14] = static_cast<char>(bits);
  for (size_t i = 40; i < d.size(); ++i) d[i] = static_cast<char>(rng());
  return d;
}

}  // namespace

void RandomDocument(TWPRTFTextIo& t, uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  t.Clear();
  TTextHeader& h = *t.Header;
  h.PageWidth = 10000 + pick(0, 4000);
  h.PageHeight = 14000 + pick(0, 4000);
  h.MarginLeft = pick(500, 2000);
  h.MarginRight = pick(500, 2000);
  h.MarginTop = pick(0, 2000);
  h.MarginBottom = pick(0, 2000);
  for (int i = 0; i < 15; ++i) h.Colors[i] = static_cast<TColor>(rng() & 0xFFFFFF);
  const char* names[] = {"Arial", "Times New Roman", "Courier New", "Wingdings"};
  const int families[] = {0x20, 0x00, 0x30, 0x50};
  for (int i = 0; i < 4; ++i) {
    h.FontNames[i] = names[i];
    h.FontFamily[i] = families[i];
    h.FontCharset[i] = i == 3 ? 2 : 0;
  }
  if (pick(0, 1)) h.Title = "Titel {" + std::string(1, static_cast<char>(0xE4)) + "}";
  if (pick(0, 1)) h.Subject = "Betreff\\x";
  if (pick(0, 1)) h.Comment = "Kommentar";
  const int nBookmarks = pick(0, 3);
  const char* bmNames[] = {"Anfang", "Mitte{x}", "Ende\xFC"};
  for (int i = 0; i < nBookmarks; ++i) t.BookmarkNames.Add(bmNames[i]);
  // Tab pool: every position once, in ascending order.
  const int nTabs = pick(0, 5);
  std::vector<int> slots;
  for (int i = 0; i < nTabs; ++i) {
    int32_t pos = 720 * (i + 1) + pick(0, 3) * 144;
    const int kind = pick(0, 3);
    h.AddTab(kind, pos);
    int32_t look = pos;
    slots.push_back(h.FindTabAnySet(kind, look));
  }

  const std::string codeSnippets[] = {"{\\b fett}", "x{y}z", "\\'e4 ", "\\par "};
  auto randomAttr = [&]() {
    TWPAttrRecord a = Attr(0, static_cast<uint8_t>(pick(0, 3)), static_cast<uint8_t>(pick(6, 72)),
                           static_cast<uint8_t>(pick(0, 255)));
    static const uint32_t bits[] = {wpsBold, wpsItalic, wpsUnderline, wpsStrikeOut, wpsHyperlink,
                                    wpsSuperScript, wpsSubScript, wpsHidden, wpsProtected};
    for (uint32_t b : bits)
      if (pick(0, 3) == 0) a.Style |= b;
    return a;
  };
  auto randomText = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      int c = pick(4, 255);
      if (c == 13) c = 'x';
      s.push_back(static_cast<char>(c));
    }
    return s;
  };

  bool firstUsed = false;
  int nextObject = 0;
  auto NewPar = [&t, &firstUsed](TWPRTFText&) {
    if (!firstUsed) {
      firstUsed = true;
      return t.FirstPar;
    }
    return rtio_test::NewPar(t);
  };
  const int nPars = pick(1, 12);
  for (int pi = 0; pi < nPars; ++pi) {
    if (pick(0, 5) == 0 && pi + 1 < nPars) {
      // A table of one to three rows with two to four cells each.
      const int rows = pick(1, 3), cells = pick(2, 4);
      const int32_t left = 144 * pick(0, 4), right = 144 * pick(0, 4);
      const uint8_t gap = static_cast<uint8_t>(pick(0, 15));
      for (int r = 0; r < rows; ++r) {
        int start = 0;
        for (int c = 0; c < cells; ++c) {
          TWPParagraphRec* p = NewPar(t);
          p->Flags = wppTableCell;
          if (c > 0) p->Flags |= wppRowContinues;
          if (c + 1 < cells) p->Flags |= wppRowGoesOn;
          if (pick(0, 4) == 0) p->Flags |= wppKeepTogether;
          const int end = c + 1 == cells ? 255 : start + pick(20, (255 - start) / (cells - c));
          p->ColStart = static_cast<uint8_t>(start);
          p->ColWidth = static_cast<uint8_t>(end - start);
          start = end;
          p->LeftIndent = p->FirstIndent = left;
          p->RightIndent = right;
          p->Align = static_cast<uint8_t>(pick(0, 3));
          p->SpaceBefore = pick(0, 3) * 20;
          p->SpaceAfter = 0;  // the layout's filling of its row
          p->LineSpacing = pick(0, 1) ? 0 : 240;
          const int b = pick(0, 2);
          if (b == 1) p->BorderFlags = kBrdHas | kBrdTop | kBrdLeft;
          if (b == 2) p->BorderFlags = kBrdHas | kBrdBox | kBrdTop | kBrdBottom | kBrdLeft | kBrdRight | kBrdDouble;
          if (b) {
            p->BorderStyle = static_cast<uint8_t>(pick(0, 1) ? (kBrdDotted >> 8) : 0);
            p->BorderWidth = static_cast<uint8_t>(pick(0, 5));
          }
          p->BorderColor = static_cast<uint8_t>((gap << 4) | (b ? pick(0, 15) : 0));
          if (pick(0, 2) == 0) p->Shading = static_cast<uint8_t>(pick(1, 15) | (pick(0, 15) << 4));
          AddRun(t, p, randomText(pick(0, 8)), randomAttr());
        }
      }
      continue;
    }
    TWPParagraphRec* p = NewPar(t);
    p->Align = static_cast<uint8_t>(pick(0, 3));
    p->LeftIndent = 144 * pick(0, 20);
    p->FirstIndent = p->LeftIndent + 144 * pick(-3, 3);
    p->RightIndent = 144 * pick(0, 10);
    p->SpaceBefore = pick(0, 400);
    p->SpaceAfter = pick(0, 400);
    const int32_t spacings[] = {0, 240, -240, 360};
    p->LineSpacing = spacings[pick(0, 3)];
    if (pick(0, 5) == 0) p->Flags |= wppPageBreak;
    if (pick(0, 5) == 0) p->Flags |= wppKeepTogether;
    for (int s : slots)
      if (pick(0, 1)) p->Tabs |= TWPTabSet{1} << s;
    if (pick(0, 4) == 0) {
      p->BorderFlags = kBrdHas;
      if (pick(0, 1)) p->BorderFlags |= kBrdBox;
      if (pick(0, 1)) p->BorderFlags |= kBrdTop;
      if (pick(0, 1)) p->BorderFlags |= kBrdBottom;
      if (pick(0, 1)) p->BorderFlags |= kBrdLeft | kBrdRight;
      if (p->BorderFlags == kBrdHas) p->BorderFlags |= kBrdTop;
      if (pick(0, 1)) p->BorderFlags |= kBrdDouble;
      static const uint8_t styles[] = {0, kBrdDotted >> 8, kBrdHair >> 8, kBrdBar >> 8, kBrdTableLine >> 8};
      p->BorderStyle = styles[pick(0, 4)];
      p->BorderWidth = static_cast<uint8_t>(pick(0, 10));
      p->BorderColor = static_cast<uint8_t>(pick(0, 255));
    }
    if (pick(0, 4) == 0) {
      p->ShadingPercent = static_cast<uint8_t>(pick(1, 100));
      p->Shading = static_cast<uint8_t>(pick(1, 15) | (p->ShadingPercent == 100 ? 0 : pick(0, 15) << 4));
    }
    const int runs = pick(0, 6);
    for (int r = 0; r < runs; ++r) {
      TWPAttrRecord a = randomAttr();
      switch (pick(0, 12)) {
        case 0: {  // hyperlink with its hidden stamp
          AddRun(t, p, "Anna Muster", Attr(wpsHyperlink, a.Font, a.Size, a.Colors));
          AddRun(t, p, "p:17", Attr(wpsHidden, a.Font, a.Size, a.Colors));
          break;
        }
        case 1:
          AddRun(t, p, codeSnippets[pick(0, 3)], Attr(wpsRtfCode, a.Font, a.Size, a.Colors));
          AddRun(t, p, "n", a);
          break;
        case 2:
          AddRun(t, p, std::string(1, static_cast<char>(pick('A', 'Z'))),
                 Attr(wpsInsertPoint, a.Font, a.Size, a.Colors, static_cast<uint16_t>(pick(1, 50))));
          AddRun(t, p, "auto", Attr(wpsAutomatic, a.Font, a.Size, a.Colors));
          break;
        case 3:
          if (nBookmarks) {
            const uint16_t n = static_cast<uint16_t>(pick(0, nBookmarks - 1));
            AddRun(t, p, "mark" + randomText(3), Attr(wpsBookmark | (a.Style & wpsBold), a.Font, a.Size, a.Colors, n));
          }
          break;
        case 4: {
          const char mark = static_cast<char>(pick('1', '9'));
          TWPFootnoteEntry* f = t.AddFootnote(static_cast<uint8_t>(mark), nullptr, "Fu" + randomText(pick(0, 12)));
          AddRun(t, p, std::string(1, mark), Attr(wpsFootnote | (a.Style & wpsBold), a.Font, a.Size, a.Colors, f->Number));
          break;
        }
        case 5: {
          auto pic = std::make_unique<TWPPictureObject>();
          const int kind = pick(0, 2);
          if (kind == 0) {
            pic->Kind = pkDIB;
            pic->Data = Dib(rng, pick(1, 6), pick(1, 4), pick(0, 1) ? 24 : 4);
            pic->BitsPerPixel = 0;
          } else if (kind == 1) {
            pic->Kind = pkDDB;
            pic->PixWidth = pick(1, 16);
            pic->PixHeight = pick(1, 4);
            pic->BitsPerPixel = 1;
            pic->WidthBytes = 2 * ((pic->PixWidth + 15) / 16);
            pic->Data = randomText(pic->WidthBytes * pic->PixHeight);
          } else {
            pic->Kind = pkMetafile;
            pic->Data = randomText(pick(1, 40));
          }
          if (kind != 1) {
            pic->PixWidth = pick(1, 100);
            pic->PixHeight = pick(1, 100);
          }
          pic->GoalWidth = pick(100, 3000);
          pic->GoalHeight = pick(100, 3000);
          TWPObjectEntry* e = t.AddObject(pic.get(), -1, pic->GoalWidth, pic->GoalHeight);
          AddRun(t, p, std::string(1, '\x01'), Attr(wpsObject, a.Font, a.Size, a.Colors, e->Number));
          t.OwnedObjects.push_back(std::move(pic));
          break;
        }
        case 6: {
          TWPObjectEntry* e = t.AddObject(nullptr, 3000 + nextObject++, pick(0, 2000), pick(0, 2000));
          AddRun(t, p, std::string(1, '\x01'), Attr(wpsObject, a.Font, a.Size, a.Colors, e->Number));
          break;
        }
        default:
          AddRun(t, p, randomText(pick(1, 30)), a);
          break;
      }
    }
  }
}

}  // namespace rtio_test
