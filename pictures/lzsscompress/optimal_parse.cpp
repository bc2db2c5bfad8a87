#include "pictures/lzsscompress/optimal_parse.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace orvane::lzsscompress {

namespace {

constexpr int kRingSize = 4096;
constexpr int kFill = 4078;            // ring positions 0..4077 hold spaces before the first byte
constexpr std::uint8_t kFillByte = 0x20;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMaxDistance = kRingSize;  // a reference to the write position itself copies from 4096 back
constexpr std::uint32_t kLiteralBits = 9;  // flag bit + byte
constexpr std::uint32_t kMatchBits = 17;   // flag bit + two bytes

// The coded size is payload bytes plus one flag byte per eight tokens, that is ceil(bits / 8) with the costs
// above: the cheapest sequence in bits is the shortest stream in bytes.

// Match finder: binary trees over the text, one per leading byte pair, each node newer than the nodes below
// it (a new position becomes the root of its tree, and the old tree is split around it on the way down).
// Nodes older than the window are thus always below the ones inside it, and the first one met ends the walk.
// The walk meets the nodes nearest the new string in sort order, so it finds the longest match. A node equal
// to the new string in all 18 bytes is replaced by it: the newer one is at least as good from then on.
class MatchFinder {
 public:
  // `text` holds the fill, then the input, then kMaxMatch bytes of padding (compared, never used: lengths are
  // cut to the bytes left).
  explicit MatchFinder(const std::uint8_t* text) : text_(text), head_(1 << 16, kNil), son_(2 * kSlots, kNil) {}

  // Inserts position p and returns the longest match for it (length 0 or 2..18, and its text position).
  int Insert(std::int32_t p, std::int32_t& matchAt) {
    const int key = text_[p] << 8 | text_[p + 1];
    std::int32_t cur = head_[key];
    head_[key] = p;
    std::int32_t* left = &son_[2 * (p & kSlotMask)];       // where the next node below p's string goes
    std::int32_t* right = &son_[2 * (p & kSlotMask) + 1];  // where the next node above it goes
    int best = 0;
    for (int depth = kMaxDepth;; --depth) {
      if (p - cur > kMaxDistance || depth == 0) {
        *left = *right = kNil;
        break;
      }
      std::int32_t* pair = &son_[2 * (cur & kSlotMask)];
      const int len = CommonLength(cur, p);
      if (len > best) {
        best = len;
        matchAt = cur;
      }
      if (len == kMaxMatch) {
        *left = pair[0];
        *right = pair[1];
        break;
      }
      if (text_[cur + len] < text_[p + len]) {
        *left = cur;
        left = &pair[1];
        cur = *left;
      } else {
        *right = cur;
        right = &pair[0];
        cur = *right;
      }
    }
    return best;
  }

 private:
  static constexpr int kSlots = 2 * kRingSize;  // more than the window, so the oldest node in it has its own slot
  static constexpr int kSlotMask = kSlots - 1;
  static constexpr std::int32_t kNil = std::numeric_limits<std::int32_t>::min() / 2;  // outside every window
  // Bounds a walk on input built to make trees deep; real input stays far below it.
  static constexpr int kMaxDepth = 2048;

  static std::uint64_t Load(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  // Bytes the strings at a and b share, 2..18; the first two agree within a tree.
  int CommonLength(std::int32_t a, std::int32_t b) const {
    static_assert(std::endian::native == std::endian::little);
    const std::uint64_t x = Load(text_ + a + 2) ^ Load(text_ + b + 2);
    if (x) return 2 + (__builtin_ctzll(x) >> 3);
    const std::uint64_t y = Load(text_ + a + 10) ^ Load(text_ + b + 10);
    return y ? 10 + (__builtin_ctzll(y) >> 3) : kMaxMatch;
  }

  const std::uint8_t* text_;
  std::vector<std::int32_t> head_;
  std::vector<std::int32_t> son_;
};

// The cheapest parse of the input: token length at each position where a token starts (1 = literal) and
// the match's ring position; the total in bits.
struct Parse {
  std::vector<std::uint8_t> length;
  std::vector<std::uint16_t> position;
  std::uint64_t bits = 0;
};

Parse Plan(std::span<const std::uint8_t> input) {
  const std::size_t n = input.size();
  Parse parse;
  if (n == 0) return parse;
  std::vector<std::uint8_t> text(kFill + n + kMaxMatch, 0);
  std::memset(text.data(), kFillByte, kFill);
  std::memcpy(text.data() + kFill, input.data(), n);

  // Longest match at each position. Text position t is ring position t mod 4096: the fill sits at 0..4077
  // and input byte i lands at 4078 + i.
  parse.length.resize(n);
  parse.position.resize(n);
  MatchFinder finder(text.data());
  std::int32_t at = 0;
  for (std::int32_t t = 0; t < kFill; ++t) finder.Insert(t, at);
  for (std::size_t i = 0; i < n; ++i) {
    const int len = finder.Insert(static_cast<std::int32_t>(kFill + i), at);
    parse.length[i] = static_cast<std::uint8_t>(std::min<std::size_t>(len, n - i));
    parse.position[i] = static_cast<std::uint16_t>(at & (kRingSize - 1));
  }

  // Cheapest cost of coding the input from each position to its end. Matches cost the same whatever their
  // length, and every prefix of a match is one, so each length from 3 to the longest is a choice.
  std::vector<std::uint32_t> cost(n + 1);
  cost[n] = 0;
  for (std::size_t i = n; i-- > 0;) {
    std::uint32_t best = cost[i + 1] + kLiteralBits;
    int choice = 1;
    for (int len = kMinMatch; len <= parse.length[i]; ++len) {
      const std::uint32_t c = cost[i + len] + kMatchBits;
      if (c <= best) {
        best = c;
        choice = len;
      }
    }
    cost[i] = best;
    parse.length[i] = static_cast<std::uint8_t>(choice);
  }
  parse.bits = cost[0];
  return parse;
}

void Write(std::span<const std::uint8_t> input, const Parse& parse, std::uint8_t* out) {
  std::uint8_t* flags = nullptr;
  int bit = 8;
  for (std::size_t i = 0; i < input.size();) {
    if (bit == 8) {
      flags = out++;
      *flags = 0;
      bit = 0;
    }
    const int len = parse.length[i];
    if (len == 1) {
      *flags |= static_cast<std::uint8_t>(1u << bit);
      *out++ = input[i];
    } else {
      const int pos = parse.position[i];
      *out++ = static_cast<std::uint8_t>(pos);
      *out++ = static_cast<std::uint8_t>(((pos >> 4) & 0xF0) | (len - kMinMatch));
    }
    ++bit;
    i += static_cast<std::size_t>(len);
  }
}

}  // namespace

std::optional<std::size_t> EncodeInto(std::span<const std::uint8_t> input, std::span<std::uint8_t> out) {
  // No stream is shorter than 17 bits per 18 bytes.
  if (input.size() / 18 * 17 / 8 > out.size()) return std::nullopt;
  const Parse parse = Plan(input);
  const std::size_t size = static_cast<std::size_t>((parse.bits + 7) / 8);
  if (size > out.size()) return std::nullopt;
  Write(input, parse, out.data());
  return size;
}

std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input) {
  std::vector<std::uint8_t> out(input.size() + (input.size() + 7) / 8);
  const auto size = EncodeInto(input, out);
  out.resize(size.value_or(0));
  return out;
}

}  // namespace orvane::lzsscompress
