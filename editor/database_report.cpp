#include "editor/database_report.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <memory>
#include <unordered_map>

#include "channeldb/korva_internal.h"
#include "editor/database_find.h"
#include "common/latin1_utf8.h"
#include "editor/editor_core.h"

namespace orvane::editor {

namespace {

const char* const kCsvHeader =
    "Satellite,Satellite name,Position,Band,Transponder,Frequency,Symbol rate,Polarity,FEC,Channel,Kind,"
    "Channel name,Video PID,Audio PID,PCR PID,Left audio,Right audio,Channel band\r\n";

using text::Latin1ToUtf8;

std::string Number3(int slot) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.3d", slot + 1);
  return buf;
}

const DATABASESATELLITEINFO& Sat(const DATABASESATELLITETABLE& db, int slot) {
  return db.satellites[static_cast<std::size_t>(slot)];
}
const DATABASETRANSPONDERINFO& Tp(const DATABASESATELLITETABLE& db, int s, int t) {
  return Sat(db, s).transponders[static_cast<std::size_t>(t)];
}
const DATABASECHANNELINFO& Ch(const DATABASESATELLITETABLE& db, int s, int t, int c) {
  return Tp(db, s, t).channels[static_cast<std::size_t>(c)];
}

}  // namespace

std::string ReadDatabaseFile(const std::string& path, DATABASESATELLITETABLE& db) {
  const auto image = std::make_unique<SatelliteImage>();
  const auto names = std::make_unique<SatelliteNameTable>();
  const auto channels = std::make_unique<ChannelTable>();
  const korva::LoadReport r =
      korva::InspectFile(path.c_str(), image->bytes.data(), names->bytes.data(), channels->bytes.data());
  if (!r.fileRead) return r.readError;
  if (!r.outerMarkersValid) return path + " is not a database image file";
  ImageToModel(*image, *names, *channels, db);
  return {};
}

namespace {

const char* ServiceOrFecText(const DATABASETRANSPONDERINFO& tp) {
  return tp.analog() ? ServiceText(tp.fec) : FecText(tp.fec);
}

// ---- CSV

class CsvRow {
 public:
  explicit CsvRow(std::string& out) : out_(out) {}
  CsvRow& Field(std::string_view utf8) {
    if (!first_) out_ += ',';
    first_ = false;
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
      out_ += utf8;
      return *this;
    }
    out_ += '"';
    for (const char c : utf8) {
      if (c == '"') out_ += '"';
      out_ += c;
    }
    out_ += '"';
    return *this;
  }
  CsvRow& Field(std::int64_t n) { return Field(std::to_string(n)); }
  CsvRow& Empty(int count) {
    for (int i = 0; i < count; ++i) Field(std::string_view());
    return *this;
  }
  void End() { out_ += "\r\n"; }

 private:
  std::string& out_;
  bool first_ = true;
};

constexpr int kSatelliteColumns = 4;
constexpr int kTransponderColumns = 5;
constexpr int kChannelColumns = 9;

void SatelliteFields(CsvRow& row, int s, const DATABASESATELLITEINFO& sat) {
  row.Field(s + 1)
      .Field(Latin1ToUtf8(sat.name))
      .Field(EastDegreeText(sat.eastPosition))
      .Field(SatelliteBandText(sat));
}

void TransponderFields(CsvRow& row, int t, const DATABASETRANSPONDERINFO& tp) {
  row.Field(t + 1)
      .Field(tp.frequency)
      .Field(tp.symbolRate)
      .Field(PolarityText(tp.polarity))
      .Field(ServiceOrFecText(tp));
}

void ChannelFields(CsvRow& row, int c, const DATABASECHANNELINFO& ch, bool analog) {
  row.Field(c + 1).Field(analog ? "analog" : "digital").Field(Latin1ToUtf8(ch.name));
  if (analog)
    row.Empty(3).Field(ch.videoPid).Field(ch.audioPid).Field(BandText(ch.pcrPid));
  else
    row.Field(ch.videoPid).Field(ch.audioPid).Field(ch.pcrPid).Empty(3);
}

// ---- Pairing

// ofA[i]: the row of b paired with row i of a, or -1; ofB the other way round.
struct Pairing {
  std::vector<int> ofA, ofB;
  Pairing(int na, int nb) : ofA(static_cast<std::size_t>(na), -1), ofB(static_cast<std::size_t>(nb), -1) {}
  void Pair(int i, int j) {
    ofA[static_cast<std::size_t>(i)] = j;
    ofB[static_cast<std::size_t>(j)] = i;
  }
  bool PairedA(int i) const { return ofA[static_cast<std::size_t>(i)] >= 0; }
  bool PairedB(int j) const { return ofB[static_cast<std::size_t>(j)] >= 0; }
  // Paired rows of b do not follow the order of their partners in a.
  bool Reordered() const {
    int last = -1;
    for (const int j : ofA) {
      if (j < 0) continue;
      if (j < last) return true;
      last = j;
    }
    return false;
  }
};

// One pairing step: every row of a left over takes the first row of b left over with the same key. A key
// function returns nothing for a row that takes no part in this step.
template <class KeyA, class KeyB>
void PairByKey(Pairing& p, KeyA keyA, KeyB keyB) {
  struct Waiting {
    std::vector<int> rows;
    std::size_t next = 0;
  };
  std::unordered_map<std::string, Waiting> waiting;
  for (int j = 0; j < static_cast<int>(p.ofB.size()); ++j)
    if (!p.PairedB(j))
      if (std::optional<std::string> k = keyB(j)) waiting[*k].rows.push_back(j);
  if (waiting.empty()) return;
  for (int i = 0; i < static_cast<int>(p.ofA.size()); ++i) {
    if (p.PairedA(i)) continue;
    const std::optional<std::string> k = keyA(i);
    if (!k) continue;
    const auto found = waiting.find(*k);
    if (found == waiting.end() || found->second.next == found->second.rows.size()) continue;
    p.Pair(i, found->second.rows[found->second.next++]);
  }
}

std::string Key(std::initializer_list<std::int64_t> numbers, std::string_view text = {}) {
  std::string k;
  for (const std::int64_t n : numbers) k += std::to_string(n) + '\x1f';
  k += text;
  return k;
}

Pairing PairSatellites(const DATABASESATELLITETABLE& a, const std::vector<int>& rowsA,
                       const DATABASESATELLITETABLE& b, const std::vector<int>& rowsB) {
  Pairing p(static_cast<int>(rowsA.size()), static_cast<int>(rowsB.size()));
  auto by = [](const DATABASESATELLITETABLE& db, const std::vector<int>& rows, auto key) {
    return [&db, &rows, key](int r) { return key(Sat(db, rows[static_cast<std::size_t>(r)])); };
  };
  auto nameAndPosition = [](const DATABASESATELLITEINFO& s) -> std::optional<std::string> {
    return Key({s.eastPosition}, s.name);
  };
  auto positionAndBand = [](const DATABASESATELLITEINFO& s) -> std::optional<std::string> {
    return Key({s.eastPosition}, SatelliteBandText(s));
  };
  auto name = [](const DATABASESATELLITEINFO& s) -> std::optional<std::string> {
    if (s.name.empty()) return std::nullopt;
    return s.name;
  };
  PairByKey(p, by(a, rowsA, nameAndPosition), by(b, rowsB, nameAndPosition));
  PairByKey(p, by(a, rowsA, positionAndBand), by(b, rowsB, positionAndBand));
  PairByKey(p, by(a, rowsA, name), by(b, rowsB, name));
  return p;
}

Pairing PairTransponders(const DATABASESATELLITEINFO& a, int na, const DATABASESATELLITEINFO& b, int nb) {
  Pairing p(na, nb);
  // Most transponders stand where they stood: pair those first, without hashing.
  for (int t = 0; t < std::min(na, nb); ++t) {
    const auto& tp = a.transponders[static_cast<std::size_t>(t)];
    const auto& other = b.transponders[static_cast<std::size_t>(t)];
    if (tp.frequency == other.frequency && tp.polarity == other.polarity) p.Pair(t, t);
  }
  auto exact = [](const DATABASESATELLITEINFO& sat) {
    return [&sat](int t) -> std::optional<std::string> {
      const auto& tp = sat.transponders[static_cast<std::size_t>(t)];
      return Key({tp.frequency, tp.polarity});
    };
  };
  PairByKey(p, exact(a), exact(b));
  // Within 2 MHz: the nearest of those left, the first of equally near ones.
  for (int i = 0; i < na; ++i) {
    if (p.PairedA(i)) continue;
    const auto& tp = a.transponders[static_cast<std::size_t>(i)];
    int best = -1;
    std::int64_t bestDistance = 0;
    for (int j = 0; j < nb; ++j) {
      const auto& other = b.transponders[static_cast<std::size_t>(j)];
      if (p.PairedB(j) || !SameTransponder(tp, other)) continue;
      const std::int64_t d = std::llabs(static_cast<std::int64_t>(tp.frequency) - other.frequency);
      if (best < 0 || d < bestDistance) {
        best = j;
        bestDistance = d;
      }
    }
    if (best >= 0) p.Pair(i, best);
  }
  return p;
}

Pairing PairChannels(const DATABASETRANSPONDERINFO& a, int na, const DATABASETRANSPONDERINFO& b, int nb) {
  Pairing p(na, nb);
  auto channel = [](const DATABASETRANSPONDERINFO& tp, int c) -> const DATABASECHANNELINFO& {
    return tp.channels[static_cast<std::size_t>(c)];
  };
  for (int c = 0; c < std::min(na, nb); ++c)
    if (channel(a, c) == channel(b, c)) p.Pair(c, c);
  auto whole = [&](const DATABASETRANSPONDERINFO& tp) {
    return [channel, &tp](int c) -> std::optional<std::string> {
      const auto& ch = channel(tp, c);
      return Key({ch.videoPid, ch.audioPid, ch.pcrPid}, ch.name);
    };
  };
  auto pids = [&](const DATABASETRANSPONDERINFO& tp) {
    return [channel, &tp](int c) -> std::optional<std::string> {
      const auto& ch = channel(tp, c);
      return Key({ch.videoPid, ch.audioPid, ch.pcrPid});
    };
  };
  auto name = [&](const DATABASETRANSPONDERINFO& tp) {
    return [channel, &tp](int c) -> std::optional<std::string> { return channel(tp, c).name; };
  };
  PairByKey(p, whole(a), whole(b));
  if (!a.analog() && !b.analog()) PairByKey(p, pids(a), pids(b));
  PairByKey(p, name(a), name(b));
  return p;
}

// ---- Changes

class Changes {
 public:
  template <class T>
  void Value(const char* what, const T& a, const T& b) {
    if (a != b) Add(what, std::to_string(a), std::to_string(b));
  }
  void Text(const char* what, const std::string& a, const std::string& b) {
    if (a != b) Add(what, a, b);
  }
  void Name(const std::string& a, const std::string& b) {
    if (a != b) Add("name", '"' + Latin1ToUtf8(a) + '"', '"' + Latin1ToUtf8(b) + '"');
  }
  const std::string& text() const { return text_; }

 private:
  void Add(const char* what, const std::string& a, const std::string& b) {
    if (!text_.empty()) text_ += ", ";
    text_ += std::string(what) + ' ' + a + " -> " + b;
  }
  std::string text_;
};

std::string SatelliteChanges(const DATABASESATELLITEINFO& a, const DATABASESATELLITEINFO& b) {
  Changes c;
  c.Name(a.name, b.name);
  c.Text("position", EastDegreeText(a.eastPosition), EastDegreeText(b.eastPosition));
  c.Value("DiSEqC code", a.diseqc, b.diseqc);
  return c.text();
}

std::string TransponderChanges(const DATABASETRANSPONDERINFO& a, const DATABASETRANSPONDERINFO& b) {
  Changes c;
  c.Value("frequency", a.frequency, b.frequency);
  c.Value("symbol rate", a.symbolRate, b.symbolRate);
  if (a.fec != b.fec) {
    const char* what = a.analog() && b.analog()     ? "service"
                       : !a.analog() && !b.analog() ? "FEC"
                                                    : "FEC/service";
    c.Text(what, ServiceOrFecText(a), ServiceOrFecText(b));
  }
  return c.text();
}

std::string ChannelChanges(const DATABASECHANNELINFO& a, const DATABASECHANNELINFO& b, bool analog) {
  Changes c;
  c.Name(a.name, b.name);
  if (analog) {
    c.Value("left audio", a.videoPid, b.videoPid);
    c.Value("right audio", a.audioPid, b.audioPid);
    c.Text("band", BandText(a.pcrPid), BandText(b.pcrPid));
  } else {
    c.Value("video PID", a.videoPid, b.videoPid);
    c.Value("audio PID", a.audioPid, b.audioPid);
    c.Value("PCR PID", a.pcrPid, b.pcrPid);
  }
  return c.text();
}

// ---- The walk

class Comparer {
 public:
  Comparer(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b) : a_(a), b_(b) {}

  DatabaseDiff Run() {
    const std::vector<int> rowsA = SatelliteRowSlots(a_), rowsB = SatelliteRowSlots(b_);
    const Pairing p = PairSatellites(a_, rowsA, b_, rowsB);
    if (p.Reordered()) Add(DiffKind::Reordered, DiffLevel::Satellite, -1, -1, -1, -1, -1, -1);
    for (std::size_t i = 0; i < rowsA.size(); ++i) {
      const int j = p.ofA[i];
      if (j < 0)
        Add(DiffKind::Removed, DiffLevel::Satellite, rowsA[i], -1, -1, -1, -1, -1);
      else
        Satellites(rowsA[i], rowsB[static_cast<std::size_t>(j)]);
    }
    for (std::size_t j = 0; j < rowsB.size(); ++j)
      if (p.ofB[j] < 0) Add(DiffKind::Added, DiffLevel::Satellite, -1, -1, -1, rowsB[j], -1, -1);
    return std::move(diff_);
  }

 private:
  void Satellites(int sa, int sb) {
    const auto& sat = Sat(a_, sa);
    const auto& other = Sat(b_, sb);
    if (std::string changes = SatelliteChanges(sat, other); !changes.empty())
      Add(DiffKind::Changed, DiffLevel::Satellite, sa, -1, -1, sb, -1, -1, std::move(changes));
    const int na = TransponderRowCount(sat), nb = TransponderRowCount(other);
    const Pairing p = PairTransponders(sat, na, other, nb);
    if (p.Reordered()) Add(DiffKind::Reordered, DiffLevel::Transponder, sa, -1, -1, sb, -1, -1);
    for (int t = 0; t < na; ++t) {
      const int u = p.ofA[static_cast<std::size_t>(t)];
      if (u < 0)
        Add(DiffKind::Removed, DiffLevel::Transponder, sa, t, -1, sb, -1, -1);
      else
        Transponders(sa, t, sb, u);
    }
    for (int u = 0; u < nb; ++u)
      if (!p.PairedB(u)) Add(DiffKind::Added, DiffLevel::Transponder, sa, -1, -1, sb, u, -1);
  }

  void Transponders(int sa, int ta, int sb, int tb) {
    const auto& tp = Tp(a_, sa, ta);
    const auto& other = Tp(b_, sb, tb);
    if (std::string changes = TransponderChanges(tp, other); !changes.empty())
      Add(DiffKind::Changed, DiffLevel::Transponder, sa, ta, -1, sb, tb, -1, std::move(changes));
    const int na = ChannelRowCount(tp), nb = ChannelRowCount(other);
    const Pairing p = PairChannels(tp, na, other, nb);
    if (p.Reordered()) Add(DiffKind::Reordered, DiffLevel::Channel, sa, ta, -1, sb, tb, -1);
    const bool analog = tp.analog() && other.analog();
    for (int c = 0; c < na; ++c) {
      const int d = p.ofA[static_cast<std::size_t>(c)];
      if (d < 0) {
        Add(DiffKind::Removed, DiffLevel::Channel, sa, ta, c, sb, tb, -1);
        continue;
      }
      std::string changes = ChannelChanges(tp.channels[static_cast<std::size_t>(c)],
                                           other.channels[static_cast<std::size_t>(d)], analog);
      if (!changes.empty())
        Add(DiffKind::Changed, DiffLevel::Channel, sa, ta, c, sb, tb, d, std::move(changes));
    }
    for (int d = 0; d < nb; ++d)
      if (!p.PairedB(d)) Add(DiffKind::Added, DiffLevel::Channel, sa, ta, -1, sb, tb, d);
  }

  void Add(DiffKind kind, DiffLevel level, int sa, int ta, int ca, int sb, int tb, int cb,
           std::string changes = {}) {
    DiffEntry e{kind, level, sa, ta, ca, sb, tb, cb, std::move(changes)};
    DiffCount& count = e.level == DiffLevel::Satellite     ? diff_.satellites
                       : e.level == DiffLevel::Transponder ? diff_.transponders
                                                           : diff_.channels;
    switch (e.kind) {
      case DiffKind::Added:
        ++count.added;
        break;
      case DiffKind::Removed:
        ++count.removed;
        break;
      case DiffKind::Changed:
        ++count.changed;
        break;
      case DiffKind::Reordered:
        ++count.reordered;
        break;
    }
    diff_.entries.push_back(std::move(e));
  }

  const DATABASESATELLITETABLE& a_;
  const DATABASESATELLITETABLE& b_;
  DatabaseDiff diff_;
};

// ---- The report

int ListedChannels(const DATABASETRANSPONDERINFO& tp) {
  return ChannelRowCount(tp);
}
int ListedChannels(const DATABASESATELLITEINFO& sat) {
  int n = 0;
  for (int t = 0; t < TransponderRowCount(sat); ++t)
    n += ChannelRowCount(sat.transponders[static_cast<std::size_t>(t)]);
  return n;
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

class Report {
 public:
  Report(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b) : a_(a), b_(b) {}

  void Entry(const DiffEntry& e) {
    if (e.level == DiffLevel::Satellite) {
      shownSatellite_ = shownTransponder_ = {-1, -1};
    } else {
      EnsureSatellite(e.satelliteA, e.satelliteB);
      if (e.level == DiffLevel::Channel) EnsureTransponder(e);
    }
    const int indent = static_cast<int>(e.level);
    const char marker = e.kind == DiffKind::Added ? '+' : e.kind == DiffKind::Removed ? '-' : '~';
    std::string line = std::string(static_cast<std::size_t>(indent) * 2, ' ') + marker + ' ';
    if (e.kind == DiffKind::Reordered) {
      static const char* const kLists[] = {"satellites", "transponders", "channels"};
      Line(line + "the " + kLists[indent] + " stand in another order");
      return;
    }
    switch (e.level) {
      case DiffLevel::Satellite:
        if (e.kind == DiffKind::Added)
          line += SatelliteText(b_, e.satelliteB) + Contents(Sat(b_, e.satelliteB));
        else if (e.kind == DiffKind::Removed)
          line += SatelliteText(a_, e.satelliteA) + Contents(Sat(a_, e.satelliteA));
        else
          line += SatellitePair(e.satelliteA, e.satelliteB);
        if (e.kind == DiffKind::Changed) shownSatellite_ = {e.satelliteA, e.satelliteB};
        break;
      case DiffLevel::Transponder:
        if (e.kind == DiffKind::Added)
          line += TransponderText(b_, e.satelliteB, e.transponderB) +
                  Contents(Tp(b_, e.satelliteB, e.transponderB));
        else if (e.kind == DiffKind::Removed)
          line += TransponderText(a_, e.satelliteA, e.transponderA) +
                  Contents(Tp(a_, e.satelliteA, e.transponderA));
        else
          line += TransponderPair(e);
        if (e.kind == DiffKind::Changed) shownTransponder_ = {e.transponderA, e.transponderB};
        break;
      case DiffLevel::Channel:
        if (e.kind == DiffKind::Added)
          line += ChannelText(b_, e.satelliteB, e.transponderB, e.channelB);
        else
          line += ChannelText(a_, e.satelliteA, e.transponderA, e.channelA);
        if (e.kind == DiffKind::Changed && e.channelA != e.channelB) line += " -> " + Number3(e.channelB);
        break;
    }
    if (e.kind == DiffKind::Changed) line += ": " + e.changes;
    Line(line);
  }

  std::string& text() { return text_; }

 private:
  using SlotPair = std::pair<int, int>;

  void Line(const std::string& line) { text_ += line + '\n'; }

  void EnsureSatellite(int sa, int sb) {
    if (shownSatellite_ == SlotPair{sa, sb}) return;
    Line("  " + SatellitePair(sa, sb));
    shownSatellite_ = {sa, sb};
    shownTransponder_ = {-1, -1};
  }
  void EnsureTransponder(const DiffEntry& e) {
    if (shownTransponder_ == SlotPair{e.transponderA, e.transponderB}) return;
    Line("    " + TransponderPair(e));
    shownTransponder_ = {e.transponderA, e.transponderB};
  }

  static std::string SatelliteText(const DATABASESATELLITETABLE& db, int s) {
    return "satellite " + Latin1ToUtf8(SatelliteRow(s, Sat(db, s)));
  }
  static std::string TransponderText(const DATABASESATELLITETABLE& db, int s, int t) {
    return "transponder " + TransponderRow(t, Tp(db, s, t));
  }
  static std::string ChannelText(const DATABASESATELLITETABLE& db, int s, int t, int c) {
    const auto& tp = Tp(db, s, t);
    return "channel " + Number3(c) + ' ' + Latin1ToUtf8(ChannelRow(Ch(db, s, t, c), tp.analog()));
  }
  std::string SatellitePair(int sa, int sb) const {
    return SatelliteText(a_, sa) + (sa != sb ? " -> " + Number3(sb) : "");
  }
  std::string TransponderPair(const DiffEntry& e) const {
    return TransponderText(a_, e.satelliteA, e.transponderA) +
           (e.transponderA != e.transponderB ? " -> " + Number3(e.transponderB) : "");
  }
  static std::string Contents(const DATABASESATELLITEINFO& sat) {
    return " (" + Plural(TransponderRowCount(sat), "transponder", "transponders") + ", " +
           Plural(ListedChannels(sat), "channel", "channels") + ")";
  }
  static std::string Contents(const DATABASETRANSPONDERINFO& tp) {
    return " (" + Plural(ListedChannels(tp), "channel", "channels") + ")";
  }

  const DATABASESATELLITETABLE& a_;
  const DATABASESATELLITETABLE& b_;
  SlotPair shownSatellite_{-1, -1}, shownTransponder_{-1, -1};
  std::string text_;
};

std::string CountLine(const char* what, const DiffCount& c) {
  return std::string(what) + ": " + std::to_string(c.added) + " added, " + std::to_string(c.removed) +
         " removed, " + std::to_string(c.changed) + " changed\n";
}

}  // namespace

std::string SatelliteBandText(const DATABASESATELLITEINFO& satellite) {
  bool c = false, ku = false;
  const int n = TransponderRowCount(satellite);
  for (int t = 0; t < n; ++t) {
    if (satellite.transponders[static_cast<std::size_t>(t)].frequency >= kKuBandFromMHz)
      ku = true;
    else
      c = true;
  }
  return c && ku ? "C+KU" : ku ? "KU" : c ? "C" : "";
}

std::string DatabaseCsv(const DATABASESATELLITETABLE& db) {
  std::string out = kCsvHeader;
  for (const int s : SatelliteRowSlots(db)) {
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    const int tps = TransponderRowCount(sat);
    if (tps == 0) {
      CsvRow row(out);
      SatelliteFields(row, s, sat);
      row.Empty(kTransponderColumns + kChannelColumns).End();
    }
    for (int t = 0; t < tps; ++t) {
      const auto& tp = sat.transponders[static_cast<std::size_t>(t)];
      const int chs = ChannelRowCount(tp);
      for (int c = 0; c < std::max(chs, 1); ++c) {
        CsvRow row(out);
        SatelliteFields(row, s, sat);
        TransponderFields(row, t, tp);
        if (chs == 0)
          row.Empty(kChannelColumns);
        else
          ChannelFields(row, c, tp.channels[static_cast<std::size_t>(c)], tp.analog());
        row.End();
      }
    }
  }
  static_assert(kSatelliteColumns + kTransponderColumns + kChannelColumns == 18);
  return out;
}

DatabaseDiff CompareDatabases(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b) {
  return Comparer(a, b).Run();
}

std::string DiffSummary(const DatabaseDiff& diff) {
  std::string out = CountLine("satellites", diff.satellites);
  out += CountLine("transponders", diff.transponders);
  out += CountLine("channels", diff.channels);
  if (diff.satellites.reordered + diff.transponders.reordered + diff.channels.reordered > 0)
    out +=
        "lists in another order: " + Plural(diff.satellites.reordered, "satellite list", "satellite lists") +
        ", " + Plural(diff.transponders.reordered, "transponder list", "transponder lists") + ", " +
        Plural(diff.channels.reordered, "channel list", "channel lists") + "\n";
  out += diff.equal() ? "the databases are equal\n" : "the databases differ\n";
  return out;
}

std::string DiffReport(const DATABASESATELLITETABLE& a, const DATABASESATELLITETABLE& b,
                       const DatabaseDiff& diff, std::string_view nameA, std::string_view nameB) {
  Report report(a, b);
  report.text() = "comparing " + std::string(nameA) + " (-) with " + std::string(nameB) + " (+)\n";
  for (const auto& e : diff.entries) report.Entry(e);
  std::string& out = report.text();
  out += DiffSummary(diff);
  return std::move(out);
}

}  // namespace orvane::editor
