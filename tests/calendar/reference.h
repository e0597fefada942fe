// Reference files of the calendar tests (written by make_reference.py from
// independent sources) as rows of whitespace-separated fields.
#pragma once

#include <string>
#include <vector>

using ReferenceRow = std::vector<std::string>;
std::vector<ReferenceRow> LoadReference(const std::string& name);
