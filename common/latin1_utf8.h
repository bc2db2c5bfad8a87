// Names are Latin-1 byte strings; text files and terminals want UTF-8. (No Qt: for the cores.)
#pragma once

#include <string>
#include <string_view>

namespace orvane::text {

inline std::string Latin1ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace orvane::text
