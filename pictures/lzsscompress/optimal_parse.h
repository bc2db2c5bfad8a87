// The software image coder: the receiver's LZSS format (4096-byte ring whose positions 0..4077 start as
// spaces, write position 4078, references of 3..18 bytes as absolute ring positions, flag bytes least
// significant bit first, 1 = literal), with the token sequence chosen to make the coded stream as short as
// possible. Any stream of that format decodes; this one is the shortest that decodes to the input.
//
// What the coder relies on of the decoder: the 4078 spaces before the first byte, and that a reference copies
// byte by byte, so it may overlap the bytes it produces and may reach back a whole ring (a reference to the
// write position itself reads the bytes written 4096 bytes earlier). It never reads ring positions 4078..4095
// before they have been written, as their start value is not something a receiver promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvane::lzsscompress {

// Codes `input` into `out` when the coded form fits and returns its length; otherwise writes nothing and
// returns nothing. Inputs that could not fit even at the best possible ratio are refused before any work.
std::optional<std::size_t> EncodeInto(std::span<const std::uint8_t> input, std::span<std::uint8_t> out);

std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input);

}  // namespace orvane::lzsscompress
