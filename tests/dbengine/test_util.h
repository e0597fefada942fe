// Shared helpers of the engine tests: scratch directories and the
// dictionaries of the application's five user tables.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

// Seconds a bounded stress test runs: the variable's value, else `dflt`.
inline double DurationFromEnv(const char* var, double dflt) {
  const char* v = std::getenv(var);
  return v ? std::atof(v) : dflt;
}

}  // namespace dbtest
