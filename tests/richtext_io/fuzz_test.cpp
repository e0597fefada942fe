// Randomised mutation of RTF against the reader: documents written by the
// engine, the golden files and the converter corpus are mutated (bytes
// flipped, ranges cut, copied and truncated, hostile words inserted) and
// read, inserted, written and positioned again. Nothing may crash, hang,
// leak or break the chains; run it in the address-sanitizer build.
// ORV_FUZZ_SECONDS sets the duration (default 20 s).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>

#include "platform/gfx/bitmap.h"
#include "tests/richtext_io/io_helpers.h"

using namespace rtio_test;

namespace {

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  for (const char* sub : {"/tests/richtext_io/golden/", "/tests/richtext_io/corpus/"}) {
    const std::string dir = SourceDir() + sub;
    if (DIR* d = opendir(dir.c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".rtf") == 0) {
          std::ifstream f(dir + n, std::ios::binary);
          std::stringstream ss;
          ss << f.rdbuf();
          seeds.push_back(ss.str());
        }
      }
      closedir(d);
    }
  }
  for (uint32_t s = 1; s <= 30; ++s) {
    TWPRTFTextIo t;
    RandomDocument(t, 9000 + s);
    seeds.push_back(ToRtf(t));
  }
  return seeds;
}

const char* const kWords[] = {
    "\\trowd", "\\cellx99999", "\\cellx-5", "\\cell", "\\row", "\\intbl", "\\pard", "\\par", "\\page",
    "{\\pict\\dibitmap0 ", "{\\pict\\wbitmap0\\wbmwidthbytes9999\\pich-9999 ", "{\\pict\\wmetafile8 0102",
    "{\\pict\\wbitmap0\\wbmbitspixel24\\wbmwidthbytes6\\picw2\\pich1 ", "{\\pict\\dibitmap0 2800000002000000",
    "\\bin99999 ", "\\bin5 ", "\\'", "\\'0", "\\u-5", "\\u99999999999", "\\uc9", "{\\*\\footnote ",
    "\\wprtf1", "\\wprtf0", "}", "{", "{{{{", "}}}}", "\\fs-99999999999999999999", "\\f98", "\\f99999",
    "{\\*\\bkmkstart ", "{\\*\\bkmkend ", "\\tx5", "\\tx-7", "\\tqdec", "\\'01", "\\wpobjtag2000",
    "{\\fonttbl{\\f5 X;}", "{\\colortbl;;;;;;;;;;;;;;;;;;;;\\red999;}", "\\clbrdrt\\brdrw99999", "\\trleft-99",
    "\\trgaph30", "\\li999999999", "\\sl-99999", "\\line", "\\tab", "\\*", "\\\r\n", "{\\picfile\"x\"}",
    "\\picscalex0", "{\\title ", "\\plain", "\\inspnt70000", "\\shading99999", "\\brsp-1"};

std::string Mutate(std::string s, std::mt19937& rng) {
  auto pick = [&rng](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
  const int steps = static_cast<int>(pick(1, 8));
  for (int i = 0; i < steps; ++i) {
    const size_t n = s.size();
    switch (pick(0, 6)) {
      case 0:
        if (n) s[pick(0, n - 1)] = static_cast<char>(rng());
        break;
      case 1:
        s.insert(pick(0, n), kWords[pick(0, std::size(kWords) - 1)]);
        break;
      case 2:
        if (n) {
          const size_t a = pick(0, n - 1);
          s.erase(a, pick(0, std::min<size_t>(64, n - a)));
        }
        break;
      case 3:
        if (n) {
          const size_t a = pick(0, n - 1);
          const std::string part = s.substr(a, pick(0, 256));
          s.insert(pick(0, s.size()), part);
        }
        break;
      case 4:
        if (n) s.resize(pick(0, n));
        break;
      case 5:
        s.insert(pick(0, n), std::string(pick(1, 300), static_cast<char>(pick(0, 1) ? 'x' : '{')));
        break;
      default:
        if (n) s[pick(0, n - 1)] = "{}\\;\"0123456789abcdef-"[pick(0, 20)];
        break;
    }
  }
  return s;
}

void Exercise(const std::string& input) {
  // Loading into an empty text.
  TWPRTFTextIo t;
  TStringStream s(input);
  t.LoadFromStream(&s);
  std::string why;
  ASSERT_TRUE(t.CheckChains(&why)) << why;
  // Every picture that was kept decodes without reading past its data.
  for (const TWPObjectEntry* e = t.FirstObject; e; e = e->next)
    if (const auto* pic = dynamic_cast<const TWPPictureObject*>(e->Obj)) pic->MakeGraphic();
  // Writing the result and reading it again.
  const std::string out = ToRtf(t);
  TWPRTFTextIo u;
  FromRtf(u, out);
  ASSERT_TRUE(u.CheckChains(&why)) << why;
  // Inserting into a text with content at its cursor.
  TWPRTFTextIo v;
  AddRun(v, v.FirstPar, "abc", Attr());
  v.CursorLine = v.FirstPar->line;
  v.CursorOffset = 1;
  TStringStream s2(input);
  v.LoadFromStream(&s2);
  ASSERT_TRUE(v.CheckChains(&why)) << why;
  // Positions over whatever came in.
  int pos = 0, line = 0;
  t.MoveCursorToPosition(static_cast<int>(input.size() % 97), -1);
  t.CursorCharPosition(pos, line);
  TWPRTFTextIo copy;
  copy.Assign(&t);
  ASSERT_TRUE(copy.CheckChains(&why)) << why;
}

TEST(ReaderFuzz, MutatedDocumentsNeverBreakTheModel) {
  const char* env = std::getenv("ORV_FUZZ_SECONDS");
  const double seconds = env ? std::atof(env) : 20.0;
  const std::vector<std::string> seeds = Seeds();
  ASSERT_GT(seeds.size(), 35u);
  std::mt19937 rng(12345);
  const auto start = std::chrono::steady_clock::now();
  long runs = 0;
  while (true) {
    const double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (used >= seconds && runs >= 200) break;
    const std::string& seed = seeds[rng() % seeds.size()];
    const std::string input = Mutate(seed, rng);
    ASSERT_NO_FATAL_FAILURE(Exercise(input)) << "run " << runs;
    ++runs;
  }
  RecordProperty("runs", static_cast<int>(runs));
  std::printf("fuzz runs: %ld\n", runs);
}

}  // namespace
