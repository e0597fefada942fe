// Shared helpers of the engine tests: scratch directories and the
// dictionaries of the application's five user tables.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "dbengine/dictionary.h"
#include "dbengine/engine.h"

namespace dbtest {

// A fresh directory under the build tree (or /tmp), removed on destruction.
class ScratchDir {
public:
  explicit ScratchDir(const std::string& name) {
    const char* bin = std::getenv("ORV_BINARY_DIR");
    std::filesystem::path base = bin ? std::filesystem::path(bin) / "test-scratch" : std::filesystem::temp_directory_path();
    path_ = base / (name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

inline void EigenesDict(TffDataDictionary& d) {
  d.Clear();
  d.AddField("EIGE_ID", "", 8, 0, 0, true);
  d.AddField("EIGE_TYP", "", 3, 0, 0, true);
  d.AddField("EIGE_DATUM", "", 17, 0, 0, false);
  d.AddField("EIGE_ZEIT", "", 16, 0, 0, false);
  d.AddField("EIGE_TEXT", "", 19, 0, 0, false);
  d.AddField("EIGE_VORNAME", "", 47, 30, 0, false);
  d.AddField("EIGE_NACHNAME", "", 47, 30, 0, false);
  d.AddField("EIGE_GESCH", "", 4, 0, 0, false);
  d.AddField("EIGE_ORTPR", "", 47, 10, 0, false);
  d.AddField("EIGE_ORT", "", 47, 30, 0, false);
  d.AddField("EIGE_W0", "", 0, 0, 0, false);
  d.AddField("EIGE_W1", "", 0, 0, 0, false);
  d.AddField("EIGE_W1TAGE", "", 3, 0, 0, false);
  d.AddField("EIGE_W2", "", 0, 0, 0, false);
  d.AddField("EIGE_W2TAGE", "", 3, 0, 0, false);
  d.AddField("EIGE_TAG", "", 4, 0, 0, false);
  d.AddField("EIGE_MONAT", "", 4, 0, 0, false);
  d.AddField("EIGE_JAHR", "", 4, 0, 0, false);
  d.AddField("EIGE_HINWEIS", "", 47, 40, 0, false);
  d.AddField("EIGE_TERMIN1", "", 4, 0, 0, false);
  d.AddField("EIGE_TERMIN2", "", 4, 0, 0, false);
  d.AddIndex("XEIGE_ID", "", 0, {0}, false, true, true);
  d.AddIndex("XEIGE_DATUM", "", 0, {1, 2, 0}, false, true, true);
  d.AddIndex("XEIGE_MTJ", "", 0, {16, 15, 17}, true, false, true);
  d.AddIndex("XEIGE_NAME", "", 0, {1, 6, 5, 0}, false, true, true);
  d.AddIndex("XEIGE_TERM1", "", 0, {19}, true, false, true);
  d.AddIndex("XEIGE_TERM2", "", 0, {20}, true, false, true);
}

inline void SelcodeDict(TffDataDictionary& d) {
  d.Clear();
  d.AddField("SELC_ID", "", 47, 3, 0, false);
  d.AddField("SELC_NAME", "", 47, 30, 0, false);
  d.AddIndex("XSELC_ID", "", 0, {0}, false, true, true);
}

inline void EigeselcDict(TffDataDictionary& d) {
  d.Clear();
  d.AddField("SELC_ID", "", 47, 3, 0, true);
  d.AddField("EIGE_ID", "", 8, 0, 0, true);
  d.AddIndex("XPKEISE", "", 0, {0, 1}, false, true, true);
  d.AddIndex("XSE_SELC", "", 0, {0}, true, true, true);
  d.AddIndex("XSE_EIGE", "", 0, {1}, true, true, true);
}

inline void TermineDict(TffDataDictionary& d) {
  d.Clear();
  d.AddField("TERM_DATUM", "", 17, 0, 0, true);
  d.AddField("EIGE_ID", "", 8, 0, 0, true);
  d.AddField("EIGE_TAGE", "", 4, 0, 0, true);
  d.AddField("TERM_BILD", "", 23, 0, 0, true);
  d.AddField("TERM_LEVEL", "", 23, 0, 0, true);
  d.AddIndex("XPKTERM", "", 0, {2, 0, 1}, false, true, true);
}

inline void LayoutDict(TffDataDictionary& d) {
  d.Clear();
  d.AddField("LOUT_ID", "", 8, 0, 0, true);
  d.AddField("LOUT_TITEL", "", 47, 60, 0, false);
  d.AddField("LOUT_TEXT", "", 19, 0, 0, false);
  d.AddField("LOUT_QUELLTYP", "", 3, 0, 0, true);
  d.AddField("LOUT_AUSGTYP", "", 3, 0, 0, true);
  d.AddIndex("XLOUT_ID", "", 0, {0}, false, true, true);
  d.AddIndex("XLOUT_TITEL", "", 0, {1, 0}, false, true, true);
}

// The table of the durability tests: ID (unique), VER, NAME, DATA (a BLOB
// whose content follows ID and VER, so that a record and its BLOB can be
// seen to belong together).
inline void CrashDict(TffDataDictionary& d) {
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("VER", "", fftInt32, 0, 0, true);
  d.AddField("NAME", "", fftShortString, 20, 0, false);
  d.AddField("DATA", "", fftBlob, 0, 0, false);
  d.AddIndex("BYID", "", 0, {0}, false, true, false);
  d.AddIndex("BYNAME", "", 0, {2, 1}, true, false, true);
}

inline std::string Payload(int id, int ver) {
  size_t n = static_cast<size_t>((id * 7919 + ver * 104729) % 20000);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((id + ver + i) * 31);
  return s;
}

// One change of the durability tests and the model it is checked against
// (ID -> VER of every record).
struct Change {
  int Kind = 0;  // 1 insert, 2 modify, 3 delete; 0 none
  int Id = 0;
  int Ver = 0;  // the version the record has afterwards
};
using Model = std::map<int, int>;

inline void ApplyTo(Model& m, const Change& c) {
  if (c.Kind == 3) m.erase(c.Id);
  else if (c.Kind != 0) m[c.Id] = c.Ver;
}

// Makes one random change through a cursor on BYID: half inserts (all of
// them while the table is small, none while it is large), else a modify or
// a delete of a record picked at random. `announce` hears of the change
// before it is made.
template <typename Announce>
Change RandomChange(TffTable& t, TffCursor& c, std::mt19937& rng, int& nextId, size_t most,
                    Announce&& announce) {
  const auto& d = t.Dictionary();
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  int what = static_cast<int>(rng() % 6);
  if (t.RecordCount() >= most) what = 3 + what % 3;
  if (what < 3 || t.RecordCount() < 5) {
    Change ch{1, nextId++, 0};
    announce(ch);
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, ch.Id);
    FFSetFieldInt(d, r.data(), 1, 0);
    FFSetFieldString(d, r.data(), 2, "n" + std::to_string(ch.Id % 97));
    std::string p = Payload(ch.Id, 0);
    c.WriteBlob(r.data(), 3, p.data(), static_cast<uint32_t>(p.size()));
    c.InsertRecord(r.data());
    return ch;
  }
  std::vector<uint8_t> k(r.size());
  FFInitRecord(d, k.data());
  FFSetFieldInt(d, k.data(), 0, static_cast<int>(rng() % static_cast<unsigned>(nextId)));
  if (!c.FindNearest(k.data()) || !c.GetRecord(r.data())) return {};
  int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
  int ver = static_cast<int>(FFGetFieldInt(d, r.data(), 1));
  if (what < 5) {
    Change ch{2, id, ver + 1};
    announce(ch);
    FFSetFieldInt(d, r.data(), 1, ver + 1);
    FFSetFieldString(d, r.data(), 2, "m" + std::to_string((id + ver) % 89));
    std::string p = Payload(id, ver + 1);
    c.WriteBlob(r.data(), 3, p.data(), static_cast<uint32_t>(p.size()));
    c.ModifyRecord(r.data());
    return ch;
  }
  Change ch{3, id, ver};
  announce(ch);
  c.DeleteRecord();
  return ch;
}

// Everything the table holds (ID -> VER) by BYID; `bad` receives the first
// record whose BLOB does not belong to it.
inline Model ReadModel(TffTable& t, std::string* bad) {
  auto c = t.OpenCursor(0);
  const auto& d = t.Dictionary();
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  Model found;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) {
    int id = static_cast<int>(FFGetFieldInt(d, r.data(), 0));
    int ver = static_cast<int>(FFGetFieldInt(d, r.data(), 1));
    found[id] = ver;
    if (bad && bad->empty() && c->ReadBlobAll(r.data(), 3) != Payload(id, ver))
      *bad = "record " + std::to_string(id) + " and its BLOB are out of step";
  }
  return found;
}

// A whole file as bytes, and back.
inline std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

inline void Spit(const std::string& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

// Seconds a bounded stress test runs: the variable's value, else `dflt`.
inline double DurationFromEnv(const char* var, double dflt) {
  const char* v = std::getenv(var);
  return v ? std::atof(v) : dflt;
}

}  // namespace dbtest
