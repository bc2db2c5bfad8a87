#include "editor/model_snapshot.h"

#include <cstdint>
#include <cstring>

namespace orvane::editor {

namespace {

// Ends a list of slots; no slot number reaches it.
constexpr std::uint8_t kEndOfList = 0xFF;
static_assert(kSatelliteSlots < kEndOfList && kTransponderSlots < kEndOfList && kChannelSlots < kEndOfList);

bool Empty(const DATABASECHANNELINFO& ch) {
  return ch.videoPid == 0 && ch.audioPid == 0 && ch.pcrPid == 0 && ch.name.empty();
}

bool EmptyFields(const DATABASETRANSPONDERINFO& tp) {
  return tp.frequency == 0 && tp.symbolRate == 0 && tp.polarity == 0 && tp.fec == 0;
}

bool Empty(const DATABASETRANSPONDERINFO& tp) {
  if (!EmptyFields(tp)) return false;
  for (const auto& ch : tp.channels)
    if (!Empty(ch)) return false;
  return true;
}

bool Empty(const DATABASESATELLITEINFO& sat) {
  if (!sat.name.empty() || sat.diseqc != 0 || sat.eastPosition != 0) return false;
  for (const auto& tp : sat.transponders)
    if (!Empty(tp)) return false;
  return true;
}

class Writer {
 public:
  explicit Writer(std::string& o) : out(o) { out.clear(); }
  void Byte(std::uint8_t b) { out.push_back(static_cast<char>(b)); }
  void Word(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Int(std::int32_t v) { Word(static_cast<std::uint32_t>(v)); }
  void Text(const std::string& s) {
    Word(static_cast<std::uint32_t>(s.size()));
    out += s;
  }
  std::string& out;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool Byte(std::uint8_t& b) {
    if (pos_ >= in_.size()) return false;
    b = static_cast<std::uint8_t>(in_[pos_++]);
    return true;
  }
  bool Word(std::uint32_t& v) {
    if (in_.size() - pos_ < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
      v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[pos_++])) << (8 * i);
    return true;
  }
  bool Int(std::int32_t& v) {
    std::uint32_t w = 0;
    if (!Word(w)) return false;
    v = static_cast<std::int32_t>(w);
    return true;
  }
  bool Text(std::string& s) {
    std::uint32_t n = 0;
    if (!Word(n) || in_.size() - pos_ < n) return false;
    s.assign(in_.substr(pos_, n));
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == in_.size(); }

 private:
  std::string_view in_;
  std::size_t pos_ = 0;
};

bool ReadTransponder(Reader& r, DATABASETRANSPONDERINFO& tp) {
  if (!r.Int(tp.frequency) || !r.Int(tp.symbolRate) || !r.Int(tp.polarity) || !r.Int(tp.fec)) return false;
  for (;;) {
    std::uint8_t c = 0;
    if (!r.Byte(c)) return false;
    if (c == kEndOfList) return true;
    if (c >= kChannelSlots) return false;
    auto& ch = tp.channels[c];
    if (!r.Int(ch.videoPid) || !r.Int(ch.audioPid) || !r.Int(ch.pcrPid) || !r.Text(ch.name)) return false;
  }
}

bool ReadSatellite(Reader& r, DATABASESATELLITEINFO& sat) {
  if (!r.Text(sat.name) || !r.Int(sat.diseqc) || !r.Word(sat.eastPosition)) return false;
  for (;;) {
    std::uint8_t t = 0;
    if (!r.Byte(t)) return false;
    if (t == kEndOfList) return true;
    if (t >= kTransponderSlots || !ReadTransponder(r, sat.transponders[t])) return false;
  }
}

}  // namespace

bool SatelliteSlotEmpty(const DATABASESATELLITEINFO& satellite) {
  return Empty(satellite);
}

namespace {

void WriteSatellite(Writer& w, int s, const DATABASESATELLITEINFO& sat) {
  w.Byte(static_cast<std::uint8_t>(s));
  w.Text(sat.name);
  w.Int(sat.diseqc);
  w.Word(sat.eastPosition);
  for (int t = 0; t < kTransponderSlots; ++t) {
    const auto& tp = sat.transponders[static_cast<std::size_t>(t)];
    if (Empty(tp)) continue;
    w.Byte(static_cast<std::uint8_t>(t));
    w.Int(tp.frequency);
    w.Int(tp.symbolRate);
    w.Int(tp.polarity);
    w.Int(tp.fec);
    for (int c = 0; c < kChannelSlots; ++c) {
      const auto& ch = tp.channels[static_cast<std::size_t>(c)];
      if (Empty(ch)) continue;
      w.Byte(static_cast<std::uint8_t>(c));
      w.Int(ch.videoPid);
      w.Int(ch.audioPid);
      w.Int(ch.pcrPid);
      w.Text(ch.name);
    }
    w.Byte(kEndOfList);
  }
  w.Byte(kEndOfList);
}

bool ReadSatellites(Reader& r, DATABASESATELLITETABLE& db) {
  for (;;) {
    std::uint8_t s = 0;
    if (!r.Byte(s)) return false;
    if (s == kEndOfList) return r.AtEnd();
    if (s >= kSatelliteSlots || !ReadSatellite(r, db.satellites[s])) return false;
  }
}

}  // namespace

void SnapshotModel(const DATABASESATELLITETABLE& db, std::string& out) {
  Writer w(out);
  w.Int(db.count);
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    if (!Empty(sat)) WriteSatellite(w, s, sat);
  }
  w.Byte(kEndOfList);
}

std::string SnapshotModel(const DATABASESATELLITETABLE& db) {
  std::string out;
  SnapshotModel(db, out);
  return out;
}

bool RestoreModel(std::string_view snapshot, DATABASESATELLITETABLE& db) {
  db.count = 0;
  for (auto& sat : db.satellites)
    if (!Empty(sat)) ClearSatellite(sat);
  Reader r(snapshot);
  return r.Int(db.count) && ReadSatellites(r, db);
}

std::string SnapshotSatellites(const DATABASESATELLITETABLE& db, const std::vector<int>& slots) {
  std::string out;
  Writer w(out);
  for (int s : slots) {
    if (s < 0 || s >= kSatelliteSlots) continue;
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    if (!Empty(sat)) WriteSatellite(w, s, sat);
  }
  w.Byte(kEndOfList);
  return out;
}

bool RestoreSatellites(std::string_view snapshot, DATABASESATELLITETABLE& db) {
  Reader r(snapshot);
  return ReadSatellites(r, db);
}

}  // namespace orvane::editor
