#include "channeldb/lzss.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace orvane::lzss {

namespace {

// Binary-tree match finder over the ring. Node and child indices fit 16 bits; kNil marks "no node".
class TreeEncoder {
 public:
  void Run(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out);

 private:
  static constexpr int N = kRingSize;
  static constexpr int F = kLookAhead;
  static constexpr std::uint16_t kNil = N;

  // Index of the first byte among key[1..17] that differs from node[1..17] (18 when all agree); `cmp`
  // receives key byte minus node byte there. Word-wide compares find the mismatch without a byte loop.
  static int Mismatch(const std::uint8_t* key, const std::uint8_t* node, int& cmp) {
    std::uint64_t a, b;
    std::memcpy(&a, key + 1, 8);
    std::memcpy(&b, node + 1, 8);
    int base = 1;
    if (a == b) {
      std::memcpy(&a, key + 9, 8);
      std::memcpy(&b, node + 9, 8);
      base = 9;
      if (a == b) {
        cmp = key[17] - node[17];
        return cmp != 0 ? 17 : F;
      }
    }
    const int k = base + (__builtin_ctzll(a ^ b) >> 3);
    cmp = key[k] - node[k];
    return k;
  }

  void InsertNode(int r) {
    int cmp = 1;
    const std::uint8_t* key = &text_[r];
    int p = N + 1 + key[0];
    rson_[r] = lson_[r] = kNil;
    matchLength_ = 0;
    for (;;) {
      if (cmp >= 0) {
        if (rson_[p] != kNil) {
          p = rson_[p];
        } else {
          rson_[p] = static_cast<std::uint16_t>(r);
          dad_[r] = static_cast<std::uint16_t>(p);
          return;
        }
      } else {
        if (lson_[p] != kNil) {
          p = lson_[p];
        } else {
          lson_[p] = static_cast<std::uint16_t>(r);
          dad_[r] = static_cast<std::uint16_t>(p);
          return;
        }
      }
      const int i = Mismatch(key, &text_[p], cmp);
      if (i > matchLength_) {
        matchPosition_ = p;
        if ((matchLength_ = i) >= F) break;
      }
    }
    // A full match: the new node takes the old one's place.
    dad_[r] = dad_[p];
    lson_[r] = lson_[p];
    rson_[r] = rson_[p];
    dad_[lson_[p]] = static_cast<std::uint16_t>(r);
    dad_[rson_[p]] = static_cast<std::uint16_t>(r);
    if (rson_[dad_[p]] == p)
      rson_[dad_[p]] = static_cast<std::uint16_t>(r);
    else
      lson_[dad_[p]] = static_cast<std::uint16_t>(r);
    dad_[p] = kNil;
  }

  void DeleteNode(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (rson_[p] == kNil) {
      q = lson_[p];
    } else if (lson_[p] == kNil) {
      q = rson_[p];
    } else {
      q = lson_[p];
      if (rson_[q] != kNil) {
        do {
          q = rson_[q];
        } while (rson_[q] != kNil);
        rson_[dad_[q]] = lson_[q];
        dad_[lson_[q]] = dad_[q];
        lson_[q] = lson_[p];
        dad_[lson_[p]] = static_cast<std::uint16_t>(q);
      }
      rson_[q] = rson_[p];
      dad_[rson_[p]] = static_cast<std::uint16_t>(q);
    }
    dad_[q] = dad_[p];
    if (rson_[dad_[p]] == p)
      rson_[dad_[p]] = static_cast<std::uint16_t>(q);
    else
      lson_[dad_[p]] = static_cast<std::uint16_t>(q);
    dad_[p] = kNil;
  }

  // The ring plus a mirror of its first F-1 bytes, so that comparisons never wrap. Bytes not yet written
  // hold zero, as in the original coder, because they take part in comparisons near the end of the input.
  std::uint8_t text_[N + F - 1];
  // Children and parents; rson_ also holds the 256 roots at N+1 .. N+256. Slot N is a scratch "nil" node.
  std::uint16_t lson_[N + 1];
  std::uint16_t rson_[N + 257];
  std::uint16_t dad_[N + 1];
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

void TreeEncoder::Run(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
  out.clear();
  if (input.empty()) return;
  out.reserve(MaxEncodedSize(input.size()));
  std::memset(text_, 0, sizeof text_);
  std::fill(std::begin(rson_) + N + 1, std::end(rson_), kNil);
  std::fill(std::begin(dad_), std::end(dad_), kNil);
  // Entries the original leaves uninitialised are written through the nil slot only; give them a value.
  std::fill(std::begin(lson_), std::end(lson_), kNil);
  std::fill(std::begin(rson_), std::begin(rson_) + N + 1, kNil);

  std::uint8_t code[17];
  int codePtr = 1;
  std::uint8_t mask = 1;
  code[0] = 0;

  int s = 0;
  int r = N - F;
  std::memset(text_, kRingFill, r);
  std::size_t in = 0;
  const std::size_t size = input.size();
  int len = 0;
  for (; len < F && in < size; ++len) text_[r + len] = input[in++];
  for (int i = 1; i <= F; ++i) InsertNode(r - i);
  InsertNode(r);
  do {
    if (matchLength_ > len) matchLength_ = len;
    if (matchLength_ <= kThreshold) {
      matchLength_ = 1;
      code[0] |= mask;
      code[codePtr++] = text_[r];
    } else {
      code[codePtr++] = static_cast<std::uint8_t>(matchPosition_);
      code[codePtr++] =
          static_cast<std::uint8_t>(((matchPosition_ >> 4) & 0xF0) | (matchLength_ - (kThreshold + 1)));
    }
    if ((mask <<= 1) == 0) {
      out.insert(out.end(), code, code + codePtr);
      code[0] = 0;
      codePtr = 1;
      mask = 1;
    }
    const int lastMatchLength = matchLength_;
    int i = 0;
    for (; i < lastMatchLength && in < size; ++i) {
      const std::uint8_t c = input[in++];
      DeleteNode(s);
      text_[s] = c;
      if (s < F - 1) text_[s + N] = c;
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    while (i++ < lastMatchLength) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
  } while (len > 0);
  if (codePtr > 1) out.insert(out.end(), code, code + codePtr);
}

}  // namespace

void Encode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
  // About 25 KB of state: on the heap, so that callers on small thread stacks are safe.
  auto encoder = std::make_unique<TreeEncoder>();
  encoder->Run(input, out);
}

std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input) {
  std::vector<std::uint8_t> out;
  Encode(input, out);
  return out;
}

DecodeResult Decode(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  std::uint8_t ring[kRingSize];
  std::memset(ring, kRingFill, kRingSize - kLookAhead);
  std::memset(ring + kRingSize - kLookAhead, 0, kLookAhead);
  int r = kRingSize - kLookAhead;
  DecodeResult result;
  std::size_t in = 0;
  const std::size_t n = input.size();
  auto put = [&](std::uint8_t c) {
    if (result.written == output.size()) {
      result.overflow = true;
      return false;
    }
    output[result.written++] = c;
    ring[r] = c;
    r = (r + 1) & (kRingSize - 1);
    return true;
  };
  while (in < n) {
    const unsigned flags = input[in++];
    for (int bit = 0; bit < 8; ++bit) {
      if (flags & (1u << bit)) {
        if (in >= n) return result;
        if (!put(input[in++])) return result;
      } else {
        if (in + 1 >= n) return result;
        const int pos = input[in] | ((input[in + 1] & 0xF0) << 4);
        const int len = (input[in + 1] & 0x0F) + kThreshold + 1;
        in += 2;
        for (int k = 0; k < len; ++k)
          if (!put(ring[(pos + k) & (kRingSize - 1)])) return result;
      }
    }
  }
  return result;
}

}  // namespace orvane::lzss
