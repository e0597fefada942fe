// The program: the toolkit's window host, then the program block; the
// windows are freed before the process ends.
#include <string>
#include <vector>

#include "app/main/program.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/files.h"

int main(int argc, char** argv) {
  SetCommandLine(argc, argv);
  qthost::InstallWindowHost();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int rc = RunProgram(args);
  ShutdownUi();
  return rc;
}
