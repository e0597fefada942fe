// Helpers shared by the dataset layer's own files; not for its users.
#pragma once

#include <string_view>
#include <vector>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace dbdetail {

// A record another cursor deleted or changed since this one read it.
inline constexpr auto kRecordGone = CP1252("Der Datensatz wurde nicht gefunden oder inzwischen geändert");

// Splits a field-name list "A;B;C" into its trimmed, non-empty names.
std::vector<AnsiString> SplitNames(std::string_view s);

}  // namespace dbdetail
