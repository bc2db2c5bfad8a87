// Deterministic inputs of the kinds the coder meets: random bytes, text, long runs, machine code.
#pragma once

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace testdata {

inline std::vector<std::uint8_t> Random(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

inline std::vector<std::uint8_t> TextLike(std::size_t n, std::uint32_t seed) {
  static const char* words[] = {"the",     "receiver", "satellite", "transponder", "channel", "of",    "and",
                                "frequency", "symbol", "rate",      "polarity",    "a",       "to",    "in",
                                "Astra",   "Hotbird",  "27500",     "11881",       "MHz",     "east",  "is",
                                "picture", "menu",     "radio",     "database",    "\n",      "with",  "for"};
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v;
  v.reserve(n + 16);
  while (v.size() < n) {
    const std::string w = words[rng() % (sizeof words / sizeof *words)];
    v.insert(v.end(), w.begin(), w.end());
    if (rng() % 7 == 0) v.push_back(',');
    v.push_back(' ');
  }
  v.resize(n);
  return v;
}

inline std::vector<std::uint8_t> Repetitive(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v;
  v.reserve(n);
  while (v.size() < n) {
    const std::uint8_t b = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : 0x20 * (rng() % 3));
    const std::size_t run = 1 + rng() % 300;
    for (std::size_t i = 0; i < run && v.size() < n; ++i) v.push_back(b);
  }
  return v;
}

// The start of an installed program, or random bytes when none can be read.
inline std::vector<std::uint8_t> Executable(std::size_t n) {
  for (const char* path : {"/usr/bin/cmake", "/usr/bin/bash", "/bin/sh"}) {
    std::ifstream f(path, std::ios::binary);
    if (!f) continue;
    std::vector<std::uint8_t> v(n);
    f.read(reinterpret_cast<char*>(v.data()), static_cast<std::streamsize>(n));
    v.resize(static_cast<std::size_t>(f.gcount()));
    if (!v.empty()) return v;
  }
  return Random(n, 99);
}

}  // namespace testdata
