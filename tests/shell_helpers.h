// Outside programs for the tests: what a command prints, and whether a
// program is installed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testshell {

// What the command prints on its standard output.
inline std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

inline bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace testshell
