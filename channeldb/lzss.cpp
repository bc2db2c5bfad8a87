#include "channeldb/lzss.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <memory>

// The tree walks have an x86-64 assembly form. AddressSanitizer builds take the portable form instead, so that
// the sanitizer sees its memory accesses (it cannot see those made inside inline assembly) and the test suite
// covers both forms (the assembly in the normal build). GCC says ASan with __SANITIZE_ADDRESS__, clang with
// __has_feature. ORVANE_LZSS_PORTABLE asks for the portable form, for comparing the two in one program.
#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_LZSS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_LZSS_ASAN 1
#endif
#endif
#if defined(__x86_64__) && !defined(ORVANE_LZSS_ASAN) && !defined(ORVANE_LZSS_PORTABLE)
#define ORVANE_LZSS_ASM 1
#else
#define ORVANE_LZSS_ASM 0
#endif

namespace orvane::lzss {

namespace {

// Binary-tree match finder over the ring. Node and child indices fit 16 bits; kNil marks "no node".
//
// The tree, and so the matches found, are those of the classic coder; what differs is how the walks are run.
// A walk is latency-bound (each step waits for the node's bytes and a compare), so two walks are run side by
// side where the original order allows it, and the match is not tracked during a walk: the walk notes its
// path, and the match is worked out from it afterwards, only for the positions where a token starts. On input
// with few distinct byte pairs, walks start below the nodes that share only the first byte with the key.
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

  // The walk of one insertion. Positions r alternate between two slots, which keep the key and the path of
  // the last two insertions: a token may start at either.
  struct Slot {
    std::uint64_t key[2];  // bytes 1..8 and 9..16 of the inserted string, big-endian
    int depth;
    std::uint16_t path[N];  // nodes met, top first
  };
  struct Walk {
    Slot* slot;
    int r;
    int p;     // last node met (a root at the start)
    int next;  // child of p to go on with, kNil at a leaf
    int depth;
    bool equal;       // p agrees with the key in bytes 1..16
    std::uint8_t k3;  // key byte 17
    int prefix;       // the key's first two bytes
  };

  // Number of leading bytes (1..F) the strings at a and b share; byte 0 is taken as equal, as in a tree walk.
  int CommonLength(int a, int b) const {
    const std::uint64_t x1 = LoadBigEndian(&text_[a + 1]) ^ LoadBigEndian(&text_[b + 1]);
    if (x1) return 1 + (__builtin_clzll(x1) >> 3);
    const std::uint64_t x2 = LoadBigEndian(&text_[a + 9]) ^ LoadBigEndian(&text_[b + 9]);
    if (x2) return 9 + (__builtin_clzll(x2) >> 3);
    return text_[a + 17] != text_[b + 17] ? 17 : F;
  }

  // Whether the key is greater than node p in bytes 1..16, which differ.
  bool KeyAbove(const Walk& w, int p) const {
    using Words = unsigned __int128;  // compared as one number: no branch on which word differs
    const Words key = (Words{w.slot->key[0]} << 64) | w.slot->key[1];
    return key > ((Words{LoadBigEndian(&text_[p + 1])} << 64) | LoadBigEndian(&text_[p + 9]));
  }

  // Starts the walk of r, whose byte 17 is k3 (passed in, as it may not be stored yet).
  void Begin(Walk& w, int r, std::uint8_t k3) {
    w.slot = &slots_[r & 1];
    w.slot->key[0] = LoadBigEndian(&text_[r + 1]);
    w.slot->key[1] = LoadBigEndian(&text_[r + 9]);
    w.r = r;
    // Nodes above the topmost one sharing the key's first two bytes share just one byte with it: they neither
    // give the match (one agreeing byte is a literal) nor change where the key ends up, so the walk starts
    // from there if there is one.
    w.prefix = Prefix(r);
    w.p = N + 1 + text_[r];
    w.next = useTop_ && top_[w.prefix] != kNil ? top_[w.prefix] : child_[w.p][1];
    w.depth = 0;
    w.equal = false;
    w.k3 = k3;
    child_[r][0] = child_[r][1] = kNil;
  }

  // Goes down from w.next (not kNil) until a leaf or a node equal to the key in bytes 1..16. Each step waits
  // only for the node's bytes and one compare: both children are fetched with the bytes, children are indexed
  // by direction (0 left, 1 right), bytes 1..16 are compared as one big-endian 128-bit number (whose order is
  // the byte order the original compares by), and the child is picked by a conditional move. In assembly,
  // because the compilers spill and branch in this loop.
  void Descend(Walk& w) {
#if ORVANE_LZSS_ASM
    std::uint64_t node, to = static_cast<std::uint32_t>(w.next), left, n1, n2;
    std::uint16_t* path = &w.slot->path[w.depth];
    asm("1:\n\t"
        "mov %k[to], %k[node]\n\t"
        "movzwl (%[child],%[node],4), %k[left]\n\t"
        "movzwl 2(%[child],%[node],4), %k[to]\n\t"
        "mov 1(%[text],%[node]), %[n1]\n\t"
        "mov 9(%[text],%[node]), %[n2]\n\t"
        "mov %w[node], (%[path])\n\t"
        "add $2, %[path]\n\t"
        "bswap %[n1]\n\t"
        "bswap %[n2]\n\t"
        "sub %[k2], %[n2]\n\t"  // node - key: no borrow means the key is not greater: go left
        "sbb %[k1], %[n1]\n\t"
        "cmovae %k[left], %k[to]\n\t"
        "or %[n1], %[n2]\n\t"  // zero: bytes 1..16 agree
        "jz 2f\n\t"
        "cmp %[nil], %k[to]\n\t"
        "jne 1b\n"
        "2:"
        : [node] "=&r"(node), [to] "+r"(to), [left] "=&r"(left), [n1] "=&r"(n1), [n2] "=&r"(n2),
          [path] "+r"(path)
        : [child] "r"(child_), [text] "r"(text_), [k1] "r"(w.slot->key[0]), [k2] "r"(w.slot->key[1]),
          [nil] "i"(kNil)
        : "cc", "memory");
    w.p = static_cast<int>(node);
    w.next = static_cast<int>(to);
    w.depth = static_cast<int>(path - w.slot->path);
    w.equal = n2 == 0;
#else
    for (;;) {
      w.p = w.next;
      w.slot->path[w.depth++] = static_cast<std::uint16_t>(w.p);
      w.equal = LoadBigEndian(&text_[w.p + 1]) == w.slot->key[0] &&
                LoadBigEndian(&text_[w.p + 9]) == w.slot->key[1];
      if (w.equal) return;
      w.next = child_[w.p][KeyAbove(w, w.p)];
      if (w.next == kNil) return;
    }
#endif
  }

  // Runs two walks in step, in different trees, until one of them stops; `even` uses slot 0, `odd` slot 1.
  // The same step as in Descend, twice; keys and paths are addressed from the object, to leave registers for
  // the two walks.
  void DescendPair(Walk& even, Walk& odd) {
#if ORVANE_LZSS_ASM
    std::uint64_t nodeA, toA = static_cast<std::uint32_t>(even.next), leftA, a1, a2;
    std::uint64_t nodeB, toB = static_cast<std::uint32_t>(odd.next), leftB, b1, b2;
    std::uint64_t depth = 0;
    constexpr std::size_t kChild = offsetof(TreeEncoder, child_);
    constexpr std::size_t kSlotA = offsetof(TreeEncoder, slots_);
    constexpr std::size_t kSlotB = kSlotA + sizeof(Slot);
    asm("1:\n\t"
        "mov %k[toA], %k[nodeA]\n\t"
        "mov %k[toB], %k[nodeB]\n\t"
        "movzwl %c[ch](%[base],%[nodeA],4), %k[leftA]\n\t"
        "movzwl %c[ch]+2(%[base],%[nodeA],4), %k[toA]\n\t"
        "movzwl %c[ch](%[base],%[nodeB],4), %k[leftB]\n\t"
        "movzwl %c[ch]+2(%[base],%[nodeB],4), %k[toB]\n\t"
        "mov 1(%[base],%[nodeA]), %[a1]\n\t"
        "mov 9(%[base],%[nodeA]), %[a2]\n\t"
        "mov 1(%[base],%[nodeB]), %[b1]\n\t"
        "mov 9(%[base],%[nodeB]), %[b2]\n\t"
        "mov %w[nodeA], %c[pathA](%[base],%[depth],2)\n\t"
        "mov %w[nodeB], %c[pathB](%[base],%[depth],2)\n\t"
        "add $1, %[depth]\n\t"
        "bswap %[a1]\n\t"
        "bswap %[a2]\n\t"
        "bswap %[b1]\n\t"
        "bswap %[b2]\n\t"
        "sub %c[keyA]+8(%[base]), %[a2]\n\t"
        "sbb %c[keyA](%[base]), %[a1]\n\t"
        "cmovae %k[leftA], %k[toA]\n\t"
        "sub %c[keyB]+8(%[base]), %[b2]\n\t"
        "sbb %c[keyB](%[base]), %[b1]\n\t"
        "cmovae %k[leftB], %k[toB]\n\t"
        "or %[a1], %[a2]\n\t"
        "jz 2f\n\t"
        "or %[b1], %[b2]\n\t"
        "jz 2f\n\t"
        "cmp %[nil], %k[toA]\n\t"
        "je 2f\n\t"
        "cmp %[nil], %k[toB]\n\t"
        "jne 1b\n"
        "2:"
        : [nodeA] "=&r"(nodeA), [toA] "+r"(toA), [leftA] "=&r"(leftA), [a1] "=&r"(a1), [a2] "=&r"(a2),
          [nodeB] "=&r"(nodeB), [toB] "+r"(toB), [leftB] "=&r"(leftB), [b1] "=&r"(b1), [b2] "=&r"(b2),
          [depth] "+r"(depth)
        : [base] "r"(this), [ch] "i"(kChild), [pathA] "i"(kSlotA + offsetof(Slot, path)),
          [pathB] "i"(kSlotB + offsetof(Slot, path)), [keyA] "i"(kSlotA + offsetof(Slot, key)),
          [keyB] "i"(kSlotB + offsetof(Slot, key)), [nil] "i"(kNil)
        : "cc", "memory");
    even.p = static_cast<int>(nodeA);
    even.next = static_cast<int>(toA);
    even.depth = static_cast<int>(depth);
    even.equal = (a1 | a2) == 0;
    odd.p = static_cast<int>(nodeB);
    odd.next = static_cast<int>(toB);
    odd.depth = static_cast<int>(depth);
    odd.equal = (b1 | b2) == 0;
#else
    (void)even;
    (void)odd;  // the walks are finished one after the other
#endif
  }

  // Completes a walk and links its node in as the original coder does.
  void Finish(Walk& w) {
    for (;;) {
      if (w.equal) {
        // Bytes 1..16 agree: byte 17 decides, and if it agrees too, the new node takes the equal one's place.
        const std::uint8_t n3 = text_[w.p + 17];
        if (w.k3 == n3) {
          ReplaceNode(w.p, w.r);
          if (useTop_ && top_[w.prefix] == w.p) top_[w.prefix] = static_cast<std::uint16_t>(w.r);
          break;
        }
        const int dir = w.k3 > n3;
        w.next = child_[w.p][dir];
        w.equal = false;
        if (w.next == kNil) {
          Link(w.p, dir, w.r);
          break;
        }
      } else if (w.next == kNil) {
        Link(w.p, w.depth == 0 || KeyAbove(w, w.p), w.r);  // a root has only its right child
        break;
      }
      Descend(w);
    }
    // A new leaf is the topmost node of its two-byte prefix only if it is the first one.
    if (useTop_ && top_[w.prefix] == kNil) top_[w.prefix] = static_cast<std::uint16_t>(w.r);
    w.slot->depth = w.depth;
  }

  void Link(int p, int dir, int r) {
    child_[p][dir] = static_cast<std::uint16_t>(r);
    dad_[r] = static_cast<std::uint16_t>(p);
  }

  void InsertNode(int r) {
    Walk w;
    Begin(w, r, text_[r + 17]);
    Finish(w);
  }

  // The match the original coder finds while inserting the string at r: the longest common prefix met on the
  // walk, at the first node that has it. The path's nodes are unchanged since, but for byte 0 of the oldest
  // string, which a later position may have overwritten; byte 0 takes no part in the comparison.
  void FindMatch(int r) {
    const Slot& slot = slots_[r & 1];
    int length = 0;
    for (int j = 0; j < slot.depth; ++j) {
      const int i = CommonLength(r, slot.path[j]);
      if (i > length) {
        length = i;
        matchPosition_ = slot.path[j];
      }
    }
    matchLength_ = length;
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

  int Prefix(int p) const {
    return text_[p] << 8 | text_[p + 1];
  }

  // The topmost node of the given two-byte prefix in the subtree at v (descending toward the prefix).
  int FindTop(int prefix, int v) const {
    while (v != kNil) {
      const int here = Prefix(v);
      if (here == prefix) break;
      v = child_[v][here < prefix];
    }
    return v;
  }

  // As in the original coder, but with the cases arranged so that only "two children or not" is a branch
  // (the cases are as unpredictable as the tree). Keeps top_ right: all nodes of a prefix lie under its
  // topmost one, and the nodes of a prefix form one run in the tree's order.
  void DeleteNode(int p) {
    const int d = dad_[p];
    if (d == kNil) return;
    const int prefix = useTop_ ? Prefix(p) : 0;
    const int left = child_[p][0];
    const int right = child_[p][1];
    int q;
    if (left != kNil && right != kNil) {
      // p's predecessor q, the rightmost node on its left, takes its place.
      q = left;
      if (child_[q][1] != kNil) {
        do {
          q = child_[q][1];
        } while (child_[q][1] != kNil);
        // q moves above the nodes on the way down to it: if the topmost node of q's prefix was one of
        // them, q is now.
        const int qPrefix = Prefix(q);
        const int qTop = top_[qPrefix];
        if (useTop_ && qPrefix != prefix && qTop != q && qTop != kNil) {
          for (int v = left; v != q; v = child_[v][1]) {
            if (v == qTop) {
              top_[qPrefix] = static_cast<std::uint16_t>(q);
              break;
            }
          }
        }
        const int qDad = dad_[q];
        const int qLeft = child_[q][0];
        child_[qDad][1] = static_cast<std::uint16_t>(qLeft);
        dad_[qLeft] = static_cast<std::uint16_t>(qDad);
        child_[q][0] = static_cast<std::uint16_t>(left);
        dad_[left] = static_cast<std::uint16_t>(q);
      }
      child_[q][1] = static_cast<std::uint16_t>(right);
      dad_[right] = static_cast<std::uint16_t>(q);
    } else {
      q = right == kNil ? left : right;  // the only child, or kNil
    }
    dad_[q] = static_cast<std::uint16_t>(d);
    child_[d][child_[d][1] == p] = static_cast<std::uint16_t>(q);
    dad_[p] = kNil;
    // The rest of p's prefix lies under the node now in p's place.
    if (useTop_ && top_[prefix] == p) top_[prefix] = static_cast<std::uint16_t>(FindTop(prefix, q));
  }

  // Drops the oldest string s and stores the new byte c in its place (and in the mirror).
  void Shift(int& s, int& r, std::uint8_t c) {
    DeleteNode(s);
    text_[s] = c;
    if (s < F - 1) text_[s + N] = c;
    s = (s + 1) & (N - 1);
    r = (r + 1) & (N - 1);
  }

  // The ring plus a mirror of its first F-1 bytes, so that comparisons never wrap. Bytes not yet written
  // hold zero, as in the original coder, because they take part in comparisons near the end of the input.
  // First member: DescendPair addresses everything from the object's start.
  std::uint8_t text_[N + F - 1];
  // Left and right children, and parents. The 256 roots sit at N+1 .. N+256 and use only their right child;
  // slot N is a scratch "nil" node that absorbs writes made through a missing child.
  std::uint16_t child_[N + 257][2];
  std::uint16_t dad_[N + 1];
  Slot slots_[2];
  // The topmost node of each two-byte prefix, kNil if there is none. Kept only where it pays (useTop_): on
  // input with few distinct byte pairs. On varied input it costs more than it saves, as its upkeep takes
  // room in the first-level cache that the walks need.
  static constexpr std::size_t kPrefixes = 1 << 16;
  std::uint16_t top_[kPrefixes];
  bool useTop_ = false;
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

__attribute__((flatten)) void TreeEncoder::Run(std::span<const std::uint8_t> input,
                                               std::vector<std::uint8_t>& out) {
  static_assert(offsetof(TreeEncoder, text_) == 0);
  out.clear();
  if (input.empty()) return;
  out.reserve(MaxEncodedSize(input.size()));
  std::memset(text_, 0, sizeof text_);
  for (auto& c : child_) c[0] = c[1] = kNil;
  std::fill(std::begin(dad_), std::end(dad_), kNil);
  // Byte pairs in the first 64 KiB, counted in top_ before it is set up.
  constexpr std::size_t kSample = 1 << 16;
  constexpr int kFewPairs = 1024;
  std::fill(std::begin(top_), std::end(top_), 0);
  int pairs = 0;
  for (std::size_t i = 1; i < std::min(input.size(), kSample); ++i) {
    std::uint16_t& seen = top_[input[i - 1] << 8 | input[i]];
    pairs += !seen;
    seen = 1;
  }
  useTop_ = pairs <= kFewPairs;
  std::fill(std::begin(top_), std::end(top_), kNil);

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
  // The same positions are inserted and deleted in the same order as in the original loop; tokens are sent
  // as soon as their first position is inserted. `due` counts the positions still to insert before that: 0
  // means the token starts at r, -1 at r-1 (after a pair of insertions).
  int due = 0;
  for (;;) {
    while (due <= 0) {
      const int at = (r + due) & (N - 1);
      FindMatch(at);
      if (matchLength_ > len) matchLength_ = len;
      if (matchLength_ <= kThreshold) {
        matchLength_ = 1;
        code[0] |= mask;
        code[codePtr++] = text_[at];
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
      due += matchLength_;
    }
    if (in + 2 <= size) {
      Shift(s, r, input[in++]);
      // The next position b can be searched alongside r when it lies in another tree and the deletion
      // between the two (of s) leaves its tree alone. Its key ends with the byte that replaces s, not yet
      // stored; no string in its tree covers that byte.
      const int b = (r + 1) & (N - 1);
      if (text_[b] != text_[r] && (dad_[s] == kNil || text_[s] != text_[b])) {
        Walk walkR, walkB;
        Begin(walkR, r, text_[r + 17]);
        Begin(walkB, b, input[in]);
        if (walkR.next != kNil && walkB.next != kNil) {
          if (r & 1)
            DescendPair(walkB, walkR);
          else
            DescendPair(walkR, walkB);
        }
        Finish(walkR);
        Shift(s, r, input[in++]);
        Finish(walkB);
        due -= 2;
      } else {
        InsertNode(r);
        due -= 1;
      }
    } else if (in < size) {
      Shift(s, r, input[in++]);
      InsertNode(r);
      due -= 1;
    } else {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len == 0) break;
      InsertNode(r);
      due -= 1;
    }
  }
  if (codePtr > 1) out.insert(out.end(), code, code + codePtr);
}

}  // namespace

void Encode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
  // About 180 KB of state: on the heap, so that callers on small thread stacks are safe.
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

const char* EncoderWalk() {
  return ORVANE_LZSS_ASM ? "x86-64 assembly" : "portable";
}

}  // namespace orvane::lzss
