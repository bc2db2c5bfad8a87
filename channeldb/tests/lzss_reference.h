// A plain transcription of the classic public-domain LZSS coder (binary trees, 4096/18/2), kept only as the
// yardstick our optimised encoder must match byte for byte. State starts zeroed on every call, as it does in
// a freshly started copy of the original program.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> ReferenceLzssEncode(const std::vector<std::uint8_t>& input);
