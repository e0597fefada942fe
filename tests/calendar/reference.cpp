// Loader of the reference files; rows keep their file order.
#include "tests/calendar/reference.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::vector<ReferenceRow> LoadReference(const std::string& name) {
  const char* root = std::getenv("ORV_SOURCE_DIR");
  const std::string path =
      (root ? std::string(root) + "/tests/calendar/data/" : std::string(ORV_CALENDAR_REFERENCE_DIR "/")) + name;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("missing reference file " + path);
  std::vector<ReferenceRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ReferenceRow row;
    for (std::string f; fields >> f;) row.push_back(f);
    rows.push_back(std::move(row));
  }
  if (rows.empty()) throw std::runtime_error("empty reference file " + path);
  return rows;
}
