// Reading and writing a document of about 1 MB of RTF: paragraphs of mixed
// runs (styles, colours, escaped characters), hyperlinks, tabs and tables.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/rtl/streams.h"
#include "richtext/io/textio.h"

namespace {

void Run(TWPRTFText& t, TWPParagraphRec* p, const std::string& s, uint32_t style, uint8_t colors) {
  TWPAttrRecord a;
  a.Style = style;
  a.Size = 11;
  a.Colors = colors;
  TWPLineRec* l = TWPRTFText::Get_LastLine(p);
  if (l->Length + static_cast<int>(s.size()) + 4 >= l->Capacity) {
    l = p->line;
    while (l->next) l = l->next;
    if (l->Length + static_cast<int>(s.size()) + 4 >= 2000) t.NewTextLine(l, static_cast<int>(s.size()) + 8);
    else t.GrowLineBuffer(l, l->Length + static_cast<int>(s.size()) + 64);
  }
  for (char c : s) {
    l->pc[l->Length] = c;
    l->pa[l->Length] = a;
    ++l->Length;
  }
  l->pc[l->Length] = 0;
}

// About 1 MB once written.
void BuildDocument(TWPRTFTextIo& t) {
  t.Header->AddTab(tkLeft, 1440);
  TWPParagraphRec* p = t.FirstPar;
  for (int i = 0; t.FirstPar; ++i) {
    if (i) {
      t.NewParagraph(p, 100);
      p->Flags = 0;
    }
    p->Tabs = i % 3 == 0 ? 1 : 0;
    Run(t, p, "Am " + std::to_string(i % 28 + 1) + ". M\xE4rz wurde ", 0, 0);
    Run(t, p, "Anna M\xFCller", wpsHyperlink, 0x03);
    Run(t, p, "p:" + std::to_string(i), wpsHidden, 0);
    Run(t, p, " in Z\xFCrich geboren {1901}\tSie war ", 0, 0);
    Run(t, p, "Malerin", wpsBold | wpsItalic, 0x21);
    Run(t, p, " und lebte lange im Ausland; ihre Werke h\xE4ngen heute in vielen Museen.", 0, 0);
    if (i % 50 == 49) {
      for (int c = 0; c < 3; ++c) {
        t.NewParagraph(p, 100);
        p->Flags = wppTableCell | (c ? wppRowContinues : 0) | (c < 2 ? wppRowGoesOn : 0);
        p->ColStart = static_cast<uint8_t>(c * 85);
        p->ColWidth = 85;
        Run(t, p, "Zelle " + std::to_string(c), 0, 0);
      }
      t.NewParagraph(p, 100);
      p->Flags = 0;
      Run(t, p, "Nach der Tabelle.", 0, 0);
    }
    if (i > 3000) break;
  }
}

const std::string& Document() {
  static const std::string rtf = [] {
    TWPRTFTextIo t;
    BuildDocument(t);
    TStringStream s;
    TWPRTFWriter w;
    t.WriteWith(&w, &s);
    return s.DataString();
  }();
  return rtf;
}

void BM_WriteRtf(benchmark::State& state) {
  TWPRTFTextIo t;
  BuildDocument(t);
  size_t bytes = 0;
  for (auto _ : state) {
    TMemoryStream s;
    TWPRTFWriter w;
    t.WriteWith(&w, &s);
    bytes = static_cast<size_t>(s.Size());
    benchmark::DoNotOptimize(s.Memory());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_ReadRtf(benchmark::State& state) {
  const std::string& rtf = Document();
  for (auto _ : state) {
    TWPRTFTextIo t;
    TStringStream s(rtf);
    t.LoadFromStream(&s);
    benchmark::DoNotOptimize(t.FirstPar);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
  state.counters["bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

}  // namespace
