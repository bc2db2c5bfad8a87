#include "classic_decoder.h"

namespace {
constexpr int N = 4096, F = 18, THRESHOLD = 2;
}  // namespace

std::vector<std::uint8_t> ClassicLzssDecode(const std::vector<std::uint8_t>& coded, std::uint8_t unwritten) {
  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  auto getc = [&]() -> int { return pos < coded.size() ? coded[pos++] : -1; };
  unsigned char text_buf[N + F - 1];
  int i, j, k, r, c;
  unsigned int flags;
  for (i = 0; i < N - F; i++) text_buf[i] = ' ';
  for (; i < N + F - 1; i++) text_buf[i] = unwritten;
  r = N - F;
  flags = 0;
  for (;;) {
    if (((flags >>= 1) & 256) == 0) {
      if ((c = getc()) == -1) break;
      flags = c | 0xff00;
    }
    if (flags & 1) {
      if ((c = getc()) == -1) break;
      out.push_back(static_cast<std::uint8_t>(c));
      text_buf[r++] = static_cast<unsigned char>(c);
      r &= (N - 1);
    } else {
      if ((i = getc()) == -1) break;
      if ((j = getc()) == -1) break;
      i |= ((j & 0xf0) << 4);
      j = (j & 0x0f) + THRESHOLD;
      for (k = 0; k <= j; k++) {
        c = text_buf[(i + k) & (N - 1)];
        out.push_back(static_cast<std::uint8_t>(c));
        text_buf[r++] = static_cast<unsigned char>(c);
        r &= (N - 1);
      }
    }
  }
  return out;
}
