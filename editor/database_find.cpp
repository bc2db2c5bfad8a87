#include "editor/database_find.h"

#include <algorithm>
#include <optional>
#include <string>

#include "editor/editor_core.h"

namespace orvane::editor {

namespace {

constexpr std::size_t kMaxNumberDigits = 9;  // stays inside int32 whatever the digits
constexpr std::uint32_t kFullCircleTenths = 3600;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Latin-1 case folding: A-Z and the accented capitals (0xC0-0xDE but the multiplication sign 0xD7).
char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) return static_cast<char>(u + 0x20);
  return c;
}

void FoldInto(std::string_view text, std::string& out) {
  out.assign(text);
  std::transform(out.begin(), out.end(), out.begin(), Fold);
}

std::optional<int> PolarityLetter(char c) {
  switch (Fold(c)) {
    case 'h':
      return 0;
    case 'v':
      return 1;
    default:
      return std::nullopt;
  }
}

// Leading digits of `s` from `at` as a number (at most kMaxNumberDigits of them); `at` moves past them.
std::optional<std::int64_t> Digits(std::string_view s, std::size_t& at) {
  const std::size_t from = at;
  std::int64_t n = 0;
  while (at < s.size() && IsDigit(s[at])) n = n * 10 + (s[at++] - '0');
  if (at == from || at - from > kMaxNumberDigits) return std::nullopt;
  return n;
}

void SkipBlanks(std::string_view s, std::size_t& at) {
  while (at < s.size() && IsBlank(s[at])) ++at;
}

struct Query {
  std::string folded;                           // names contain this (empty: no name search)
  std::optional<int> polarity;                  // transponders of this polarity ...
  std::optional<std::int64_t> frequency;        // ... and, with a polarity, this frequency within 2 MHz
  std::optional<std::int64_t> number;           // a whole number: degrees, frequency, symbol rate, PID
  std::optional<std::uint32_t> positionTenths;  // an exact position East
};

Query Parse(std::string_view text) {
  Query q;
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  const std::string_view s = text.substr(b, e - b);
  if (s.empty()) return q;

  if (s.size() == 1 && PolarityLetter(s[0])) {
    q.polarity = PolarityLetter(s[0]);
    return q;
  }
  std::size_t at = 0;
  const std::optional<std::int64_t> whole = Digits(s, at);
  if (whole) {
    std::size_t rest = at;
    SkipBlanks(s, rest);
    if (rest + 1 == s.size() && PolarityLetter(s[rest])) {
      q.polarity = PolarityLetter(s[rest]);
      q.frequency = whole;
      return q;
    }
  }

  FoldInto(s, q.folded);
  if (!whole) return q;
  if (at == s.size()) {
    q.number = whole;
    return q;
  }
  // A position: degrees, optionally one decimal, optionally blanks and E or W; a point or a letter is needed.
  std::int64_t tenths = *whole * 10;
  bool marked = false;
  if (s[at] == '.') {
    if (at + 2 > s.size() || !IsDigit(s[at + 1])) return q;
    tenths += s[at + 1] - '0';
    at += 2;
    marked = true;
  }
  SkipBlanks(s, at);
  bool west = false;
  if (at < s.size()) {
    const char letter = Fold(s[at]);
    if (letter != 'e' && letter != 'w') return q;
    west = letter == 'w';
    ++at;
    marked = true;
  }
  if (at != s.size() || !marked || tenths > kFullCircleTenths) return q;
  const auto t = static_cast<std::uint32_t>(tenths);
  q.positionTenths = west ? (kFullCircleTenths - t) % kFullCircleTenths : t % kFullCircleTenths;
  return q;
}

bool WithinTolerance(std::int64_t a, std::int64_t b) {
  return (a > b ? a - b : b - a) <= kSameTransponderMHz;
}

}  // namespace

bool SameTransponder(const DATABASETRANSPONDERINFO& a, const DATABASETRANSPONDERINFO& b) {
  return a.polarity == b.polarity && WithinTolerance(a.frequency, b.frequency);
}

std::vector<FindMatch> FindInDatabase(const DATABASESATELLITETABLE& db, std::string_view query) {
  const Query q = Parse(query);
  std::vector<FindMatch> matches;
  std::string folded;  // reused for every name
  auto nameMatches = [&](const std::string& name) {
    if (q.folded.empty()) return false;
    FoldInto(name, folded);
    return folded.find(q.folded) != std::string::npos;
  };
  auto satelliteMatches = [&](const DATABASESATELLITEINFO& sat) {
    if (q.number && sat.eastPosition / 10 == *q.number) return true;
    if (q.positionTenths && sat.eastPosition == *q.positionTenths) return true;
    return nameMatches(sat.name);
  };
  auto transponderMatches = [&](const DATABASETRANSPONDERINFO& tp) {
    if (q.polarity)
      return tp.polarity == *q.polarity && (!q.frequency || WithinTolerance(tp.frequency, *q.frequency));
    return q.number && (WithinTolerance(tp.frequency, *q.number) || tp.symbolRate == *q.number);
  };
  auto channelMatches = [&](const DATABASECHANNELINFO& ch, bool analog) {
    if (q.number && !analog &&
        (ch.videoPid == *q.number || ch.audioPid == *q.number || ch.pcrPid == *q.number))
      return true;
    return nameMatches(ch.name);
  };

  for (const int s : SatelliteRowSlots(db)) {
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    if (satelliteMatches(sat)) matches.push_back({s, -1, -1});
    const int tps = TransponderRowCount(sat);
    for (int t = 0; t < tps; ++t) {
      const auto& tp = sat.transponders[static_cast<std::size_t>(t)];
      if (transponderMatches(tp)) matches.push_back({s, t, -1});
      const int chs = ChannelRowCount(tp);
      for (int c = 0; c < chs; ++c)
        if (channelMatches(tp.channels[static_cast<std::size_t>(c)], tp.analog()))
          matches.push_back({s, t, c});
    }
  }
  return matches;
}

int NextMatch(const std::vector<FindMatch>& matches, const FindMatch& from) {
  if (matches.empty()) return -1;
  const auto next = std::upper_bound(matches.begin(), matches.end(), from);
  return next == matches.end() ? 0 : static_cast<int>(next - matches.begin());
}

std::vector<int> DuplicateTransponderRows(const DATABASESATELLITEINFO& satellite) {
  std::vector<int> duplicates;
  std::vector<const DATABASETRANSPONDERINFO*> kept;
  const int n = TransponderRowCount(satellite);
  for (int r = 0; r < n; ++r) {
    const auto& tp = satellite.transponders[static_cast<std::size_t>(r)];
    const bool repeats =
        std::any_of(kept.begin(), kept.end(), [&](const auto* k) { return SameTransponder(*k, tp); });
    if (repeats)
      duplicates.push_back(r);
    else
      kept.push_back(&tp);
  }
  return duplicates;
}

}  // namespace orvane::editor
