// Field-by-field access to packed byte layouts. Every read and write names its offset and is checked
// against the buffer, so a wrong offset fails loudly instead of touching memory it should not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane::bytes {

inline void Check(std::size_t size, std::size_t offset, std::size_t width) {
  if (offset > size || width > size - offset) throw std::out_of_range("byte field outside its buffer");
}

inline std::uint8_t GetU8(std::span<const std::uint8_t> b, std::size_t off) {
  Check(b.size(), off, 1);
  return b[off];
}
inline std::uint16_t GetU16LE(std::span<const std::uint8_t> b, std::size_t off) {
  Check(b.size(), off, 2);
  return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}
inline std::uint32_t GetU32LE(std::span<const std::uint8_t> b, std::size_t off) {
  Check(b.size(), off, 4);
  return static_cast<std::uint32_t>(b[off]) | (static_cast<std::uint32_t>(b[off + 1]) << 8) |
         (static_cast<std::uint32_t>(b[off + 2]) << 16) | (static_cast<std::uint32_t>(b[off + 3]) << 24);
}
inline std::uint16_t GetU16BE(std::span<const std::uint8_t> b, std::size_t off) {
  Check(b.size(), off, 2);
  return static_cast<std::uint16_t>((b[off] << 8) | b[off + 1]);
}

inline void PutU8(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
  Check(b.size(), off, 1);
  b[off] = static_cast<std::uint8_t>(v);
}
inline void PutU16LE(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
  Check(b.size(), off, 2);
  b[off] = static_cast<std::uint8_t>(v);
  b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32LE(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
  Check(b.size(), off, 4);
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU16BE(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
  Check(b.size(), off, 2);
  b[off] = static_cast<std::uint8_t>(v >> 8);
  b[off + 1] = static_cast<std::uint8_t>(v);
}

// Copies `src` to `off`; the whole range must lie inside the buffer.
inline void PutBytes(std::span<std::uint8_t> b, std::size_t off, std::span<const std::uint8_t> src) {
  Check(b.size(), off, src.size());
  if (!src.empty()) std::memcpy(b.data() + off, src.data(), src.size());
}
inline std::span<const std::uint8_t> Slice(std::span<const std::uint8_t> b, std::size_t off, std::size_t n) {
  Check(b.size(), off, n);
  return b.subspan(off, n);
}
inline std::span<std::uint8_t> Slice(std::span<std::uint8_t> b, std::size_t off, std::size_t n) {
  Check(b.size(), off, n);
  return b.subspan(off, n);
}

// Reads at most `max_chars` characters from a fixed field, stopping at the first NUL or at `stop`
// (pass '\0' for no extra stop character).
inline std::string GetText(std::span<const std::uint8_t> b, std::size_t off, std::size_t field, std::size_t max_chars,
                           char stop = '\0') {
  Check(b.size(), off, field);
  std::string out;
  for (std::size_t i = 0; i < field && i < max_chars; ++i) {
    const char c = static_cast<char>(b[off + i]);
    if (c == '\0' || (stop != '\0' && c == stop)) break;
    out.push_back(c);
  }
  return out;
}

// Writes text into a fixed field and NUL-terminates it; text longer than field-1 bytes is cut.
inline void PutText(std::span<std::uint8_t> b, std::size_t off, std::size_t field, std::string_view text) {
  Check(b.size(), off, field);
  if (field == 0) return;
  const std::size_t n = std::min(text.size(), field - 1);
  if (n) std::memcpy(b.data() + off, text.data(), n);
  b[off + n] = 0;
}

}  // namespace orvane::bytes
