// Helpers shared by the dataset layer's own files; not for its users.
#pragma once

#include <string_view>
#include <vector>

#include "platform/rtl/sysutils.h"

namespace dbdetail {

// Splits a field-name list "A;B;C" into its trimmed, non-empty names.
std::vector<AnsiString> SplitNames(std::string_view s);

}  // namespace dbdetail
