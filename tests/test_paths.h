// Where a test finds the source tree and the build tree: the environment
// (ORV_SOURCE_DIR, ORV_BINARY_DIR) wins, else the folders of this build.
#pragma once

#include <cstdlib>
#include <string>

namespace testpaths {

inline std::string SourceDir() {
  const char* e = std::getenv("ORV_SOURCE_DIR");
  return e && *e ? e : ORV_SOURCE_DIR_DEFAULT;
}

inline std::string BinaryDir() {
  const char* e = std::getenv("ORV_BINARY_DIR");
  return e && *e ? e : ORV_BINARY_DIR_DEFAULT;
}

}  // namespace testpaths
