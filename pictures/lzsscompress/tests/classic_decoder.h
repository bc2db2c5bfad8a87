// A plain transcription of the classic public-domain LZSS decoder (4096/18/2), the one the receiver runs:
// the yardstick every stream of our coder must decode by. The classic program leaves ring positions
// 4078..4095 at zero (static storage) until they are written; `unwritten` sets what they hold instead, so a
// test can show that a stream never depends on them.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> ClassicLzssDecode(const std::vector<std::uint8_t>& coded, std::uint8_t unwritten = 0);
