// Helpers of the edit-control tests: a form holding an edit control under
// the headless test driver and the folder of the test pictures (documents
// are built with page_helpers.h).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/rtl/cp1252.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "richtext/controls/rtfedit.h"
#include "tests/richtext_controls/page_helpers.h"
#include "tests/test_paths.h"

namespace rtedit_test {

// A form with one edit control (or a descendant) at (10, 10).
template <class Control>
struct ControlWindow {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  Control* edit = new Control(form);

  explicit ControlWindow(int width = 360, int height = 240) {
    form->SetClientSize(width + 20, height + 20);
    edit->SetParent(form);
    edit->SetBounds(10, 10, width, height);
    edit->SetWordWrap(true);
    form->Show();
    driver.Process();
  }
  // A second control beside the first (the form grows).
  Control* Second(int width = 200, int height = 100) {
    form->SetClientSize(form->ClientWidth() + width + 10, std::max(form->ClientHeight(), height + 20));
    auto* e = new Control(form);
    e->SetParent(form);
    e->SetBounds(edit->Left() + edit->Width() + 10, 10, width, height);
    e->SetWordWrap(true);
    driver.Process();
    return e;
  }
};
using EditWindow = ControlWindow<TWPCustomRtfEdit>;

// Where test pictures go (test-artifacts/richtext in the build tree).
inline std::string Artifact(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(testpaths::BinaryDir()) / "test-artifacts" / "richtext";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

}  // namespace rtedit_test
