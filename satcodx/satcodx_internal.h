// Pieces of the import shared with the download and the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "satcodx/satcodx_import.h"

namespace orvane::satcodx {

// Parses only the first `count` header numbers (the download needs N1 to N4).
IndexColumns ParseIndexColumns(std::string_view header, int count);
// Reads workDir/satcodx.imp: its first line into `header`, the satellite lines returned.
std::vector<std::string> ReadIndex(const std::filesystem::path& workDir, std::string& header);
// The name text of an index line: at most 25 characters from `nameColumn`, ending before the third blank.
std::string NameText(std::string_view line, int nameColumn);
// A listing's file name from the index must name a file inside ./import/, never a path.
bool PlainFileName(const std::string& name);
// The DiSEqC 1.2 code of an east position, 0 for positions the table does not name.
std::int32_t DiseqcCode(std::int32_t eastPosition);

}  // namespace orvane::satcodx
