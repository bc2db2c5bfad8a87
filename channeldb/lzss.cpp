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

  static std::uint64_t LoadBigEndian(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
  }

  // Walks the tree of the string at r, recording the longest match met first, and links r in. Children are
  // indexed by direction (0 left, 1 right) so that the walk needs no unpredictable branch: bytes 1..16 are
  // compared as two big-endian words, whose integer order is the byte order the original compares by.
  void InsertNode(int r) {
    const std::uint8_t* key = &text_[r];
    const std::uint64_t k1 = LoadBigEndian(key + 1);
    const std::uint64_t k2 = LoadBigEndian(key + 9);
    const std::uint8_t k3 = key[17];
    const unsigned __int128 keyWords = (static_cast<unsigned __int128>(k1) << 64) | k2;
    int p = N + 1 + key[0];
    int dir = 1;
    int length = 0;
    int position = 0;
    child_[r][0] = child_[r][1] = kNil;
    int next = child_[p][1];
    while (next != kNil) {
      p = next;
      // Both children are fetched together with the node's bytes, so the next step waits for the compare
      // only, not for another load after it.
      const int left = child_[p][0];
      const int right = child_[p][1];
      const std::uint8_t* node = &text_[p];
      // Which word differs first is as unpredictable as the direction itself, so both words are compared
      // and the results picked by selects rather than branches.
      const std::uint64_t n1 = LoadBigEndian(node + 1);
      const std::uint64_t n2 = LoadBigEndian(node + 9);
      // The direction is all the next step waits for: one 128-bit compare of the big-endian words, whose
      // integer order is the byte order the original compares by. The match length is worked out beside it.
      const unsigned __int128 nodeWords = (static_cast<unsigned __int128>(n1) << 64) | n2;
      dir = keyWords > nodeWords;
      const std::uint64_t x1 = n1 ^ k1;
      const std::uint64_t x2 = n2 ^ k2;
      const int inFirst = 0 - static_cast<int>(x1 != 0);
      const int zeros = (__builtin_clzll(x1 | 1) & inFirst) | ((64 + __builtin_clzll(x2 | 1)) & ~inFirst);
      int i = 1 + (zeros >> 3);
      if (__builtin_expect((x1 | x2) == 0, 0)) {  // bytes 1..16 agree
        const std::uint8_t n3 = node[17];
        i = n3 != k3 ? 17 : F;
        dir = k3 > n3;
        if (i == F) {
          matchLength_ = F;
          matchPosition_ = p;
          ReplaceNode(p, r);
          return;
        }
      }
      const int longer = 0 - static_cast<int>(i > length);
      position = (p & longer) | (position & ~longer);
      length = (i & longer) | (length & ~longer);
      next = dir ? right : left;
    }
    child_[p][dir] = static_cast<std::uint16_t>(r);
    dad_[r] = static_cast<std::uint16_t>(p);
    matchLength_ = length;
    matchPosition_ = position;
  }

  // The new node r takes the place of p, whose string it equals.
  void ReplaceNode(int p, int r) {
    dad_[r] = dad_[p];
    child_[r][0] = child_[p][0];
    child_[r][1] = child_[p][1];
    dad_[child_[p][0]] = static_cast<std::uint16_t>(r);
    dad_[child_[p][1]] = static_cast<std::uint16_t>(r);
    Relink(p, r);
    dad_[p] = kNil;
  }

  // Points p's parent at q instead of p.
  void Relink(int p, int q) {
    const int d = dad_[p];
    child_[d][child_[d][1] == p] = static_cast<std::uint16_t>(q);
  }

  void DeleteNode(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (child_[p][1] == kNil) {
      q = child_[p][0];
    } else if (child_[p][0] == kNil) {
      q = child_[p][1];
    } else {
      q = child_[p][0];
      if (child_[q][1] != kNil) {
        do {
          q = child_[q][1];
        } while (child_[q][1] != kNil);
        child_[dad_[q]][1] = child_[q][0];
        dad_[child_[q][0]] = dad_[q];
        child_[q][0] = child_[p][0];
        dad_[child_[p][0]] = static_cast<std::uint16_t>(q);
      }
      child_[q][1] = child_[p][1];
      dad_[child_[p][1]] = static_cast<std::uint16_t>(q);
    }
    dad_[q] = dad_[p];
    Relink(p, q);
    dad_[p] = kNil;
  }

  // The ring plus a mirror of its first F-1 bytes, so that comparisons never wrap. Bytes not yet written
  // hold zero, as in the original coder, because they take part in comparisons near the end of the input.
  std::uint8_t text_[N + F - 1];
  // Left and right children, and parents. The 256 roots sit at N+1 .. N+256 and use only their right child;
  // slot N is a scratch "nil" node that absorbs writes made through a missing child.
  std::uint16_t child_[N + 257][2];
  std::uint16_t dad_[N + 1];
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

void TreeEncoder::Run(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
  out.clear();
  if (input.empty()) return;
  out.reserve(MaxEncodedSize(input.size()));
  std::memset(text_, 0, sizeof text_);
  for (auto& c : child_) c[0] = c[1] = kNil;
  std::fill(std::begin(dad_), std::end(dad_), kNil);

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
