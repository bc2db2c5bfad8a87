// The SatCoDX import: index file, the two passes over each listing, and the rows the satellite list shows.
#include "satcodx/satcodx_import.h"

#include <array>
#include <cstdio>
#include <system_error>

#include "satcodx/satcodx_internal.h"
#include "satcodx/text_io.h"

namespace orvane::satcodx {

using text::Field;
using text::ToIntDef;

namespace {

// Index header: the six two-digit numbers at columns 1, 4, 7, 10, 13, 16.
constexpr int kHeaderFieldWidth = 2;
constexpr std::array<int, 6> kHeaderColumns = {1, 4, 7, 10, 13, 16};

// Listing record columns (from 1) and widths.
constexpr std::size_t kMinRecordLength = 127;
constexpr int kSystemColumn = 30, kSystemWidth = 4;
constexpr int kFrequencyColumn = 35, kFrequencyWidth = 5;
constexpr int kPolarisationColumn = 43;
constexpr int kPositionColumn = 52, kPositionWidth = 4;
constexpr int kAudio1Column = 64, kAudio2Column = 67, kAudioWidth = 3;
constexpr int kSymbolRateColumn = 70, kSymbolRateWidth = 5;
constexpr int kFecColumn = 75;
constexpr std::string_view kDigitalSystem = "MPG2";
constexpr std::string_view kNoAudio = "___";
constexpr std::string_view kNoSymbolRate = "_____";

constexpr std::int32_t kNoPosition = 4000;     // the conversion default that marks a record to pass over
constexpr std::int32_t kPositionLimit = 3600;  // tenths of a degree East: 0..3599 are real places
constexpr std::int32_t kNoPolarisation = 40;   // the conversion default that marks "not a number"
constexpr std::uint32_t kBandSplitMHz = 5500;  // taken by both passes
constexpr std::size_t kMaxNameText = 25;
constexpr int kNameTextBlanks = 3;  // the name text ends before this blank
constexpr char kOtherPrefix[] = "Other";

// Listing FEC digit -> FEC index; digits the table does not name mean AUTO (0).
constexpr std::array<std::int32_t, 8> kListingFecTable = {0, 1, 2, 3, 0, 4, 0, 5};
constexpr std::int32_t kFecAuto = 0;

struct DiseqcEntry {
  std::int32_t position;
  std::int32_t code;
};
constexpr std::array<DiseqcEntry, 25> kDiseqcPositionTable = {{
    {30, 7},    {50, 6},    {70, 5},    {100, 4},  {130, 1},   {160, 3},   {192, 2},   {230, 16},  {260, 17},
    {280, 18},  {300, 19},  {310, 20},  {345, 22}, {420, 21},  {3150, 24}, {3230, 15}, {3300, 14}, {3330, 13},
    {3390, 12}, {3420, 11}, {3520, 10}, {3550, 9}, {3560, 25}, {3590, 8},  {3592, 26},
}};

enum class Band { kC, kKu };

// A satellite being built by one pass; it reaches the model only when the pass stored a transponder.
struct PassResult {
  std::uint32_t eastPosition = 0;
  std::int32_t diseqc = 0;
  struct Tp {
    std::int32_t frequency, symbolRate, polarity, fec;
  };
  std::vector<Tp> transponders;
  int leftOut = 0;
  int unmapped = 0;
};

PassResult RunPass(std::string_view listing, Band band) {
  PassResult r;
  r.transponders.reserve(kTransponderSlots);
  bool haveLast = false;
  std::int32_t lastFrequency = 0, lastPolarity = 0;

  text::ForEachLine(listing, [&](std::string_view line) {
    if (line.size() < kMinRecordLength) return true;

    // The satellite header comes from every long line; a position field that is not a real place is no
    // header.
    const std::int32_t position = ToIntDef(Field(line, kPositionColumn, kPositionWidth), kNoPosition);
    if (position == kNoPosition || position < 0 || position >= kPositionLimit) return true;
    r.eastPosition = static_cast<std::uint32_t>(position);
    r.diseqc = DiseqcCode(position);

    if (Field(line, kSystemColumn, kSystemWidth) != kDigitalSystem) return true;
    if (Field(line, kAudio1Column, kAudioWidth) != kNoAudio ||
        Field(line, kAudio2Column, kAudioWidth) != kNoAudio)
      return true;
    const std::string_view srField = Field(line, kSymbolRateColumn, kSymbolRateWidth);
    if (srField == kNoSymbolRate) return true;
    const std::int32_t frequency = ToIntDef(Field(line, kFrequencyColumn, kFrequencyWidth), 0);
    if (frequency <= 0) return true;
    const std::int32_t symbolRate = ToIntDef(srField, 0);
    if (symbolRate <= 0) return true;
    const std::int32_t polDigit = ToIntDef(Field(line, kPolarisationColumn, 1), kNoPolarisation);
    if (polDigit == kNoPolarisation) return true;

    std::int32_t polarity;
    switch (polDigit) {
      case 0:
      case 2:
        polarity = 1;
        break;  // V
      case 1:
      case 3:
        polarity = 0;
        break;  // H
      default:
        ++r.unmapped;
        return true;  // no polarity the receiver could tune to
    }
    const std::int32_t fecDigit = ToIntDef(Field(line, kFecColumn, 1), 0);
    const std::int32_t fec = (fecDigit >= 0 && fecDigit < static_cast<std::int32_t>(kListingFecTable.size()))
                                 ? kListingFecTable[fecDigit]
                                 : kFecAuto;

    // Consecutive channel records of one transponder give one transponder.
    if (haveLast && frequency == lastFrequency && polarity == lastPolarity) return true;

    const auto f = static_cast<std::uint32_t>(frequency);
    if (band == Band::kC && f > kBandSplitMHz) return true;
    if (band == Band::kKu && f < kBandSplitMHz) return true;

    haveLast = true;
    lastFrequency = frequency;
    lastPolarity = polarity;
    if (r.transponders.size() >= static_cast<std::size_t>(kTransponderSlots)) {
      ++r.leftOut;
      return true;
    }
    r.transponders.push_back({frequency, symbolRate, polarity, fec});
    return true;
  });
  return r;
}

}  // namespace

bool PlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name)
    if (c == '/' || c == '\\' || c == '\0') return false;
  return true;
}

std::int32_t DiseqcCode(std::int32_t eastPosition) {
  for (const auto& e : kDiseqcPositionTable)
    if (e.position == eastPosition) return e.code;
  return 0;
}

std::string NameText(std::string_view line, int nameColumn) {
  const std::string_view from = Field(line, nameColumn, static_cast<int>(kMaxNameText));
  std::string out;
  int blanks = 0;
  for (const char c : from) {
    if (c == ' ' && ++blanks == kNameTextBlanks) break;
    out.push_back(c);
  }
  return out;
}

IndexColumns ParseIndexColumns(std::string_view header, int count) {
  std::array<int, 6> v{};
  for (int i = 0; i < count && i < static_cast<int>(v.size()); ++i)
    v[i] = text::ToIntOrThrow(Field(header, kHeaderColumns[i], kHeaderFieldWidth));
  return IndexColumns{v[0], v[1], v[2], v[3], v[4], v[5]};
}

IndexColumns ParseIndexHeader(std::string_view header) {
  return ParseIndexColumns(header, static_cast<int>(kHeaderColumns.size()));
}

std::string IndexFileName(std::string_view line, const IndexColumns& c) {
  return std::string(text::TrimTrailingBlanks(Field(line, c.fileColumn, c.fileLength)));
}

std::string IndexAddress(std::string_view line, const IndexColumns& c) {
  return std::string(text::TrimTrailingBlanks(Field(line, c.addressColumn, c.addressLength)));
}

std::vector<std::string> ReadIndex(const std::filesystem::path& workDir, std::string& header) {
  std::string data;
  text::ReadWholeFile(workDir / kIndexFileName, data);
  std::vector<std::string> lines;
  bool first = true;
  header.clear();
  text::ForEachLine(data, [&](std::string_view line) {
    if (first) {
      header.assign(line);
      first = false;
    } else {
      lines.emplace_back(line);
    }
    return true;
  });
  return lines;
}

ImportReport ImportSatcodx(DATABASESATELLITETABLE& db, const std::filesystem::path& workDir) {
  ClearSatellites(db);
  ImportReport report;
  int s = 0;
  try {
    std::string header;
    const std::vector<std::string> lines = ReadIndex(workDir, header);
    const IndexColumns columns = ParseIndexHeader(header);
    report.indexLines = static_cast<int>(lines.size());
    const std::filesystem::path folder = workDir / kImportFolderName;
    std::string listing;

    int lineNumber = 1;  // the header is line 1
    for (const std::string& line : lines) {
      ++lineNumber;
      const std::string fileName = IndexFileName(line, columns);
      if (!fileName.empty() && !PlainFileName(fileName)) {
        report.refusedNames.push_back(std::string(kIndexFileName) + " line " + std::to_string(lineNumber) + ": '" +
                                      fileName + "' is not a plain file name");
        continue;
      }
      const std::filesystem::path path = folder / fileName;
      std::error_code ec;
      if (fileName.empty() || !std::filesystem::is_regular_file(path, ec)) {
        ++report.listingsMissing;
        continue;
      }
      ++report.listingsRead;
      const std::string nameText = NameText(line, columns.nameColumn);
      bool leftOut = false;
      for (const Band band : {Band::kC, Band::kKu}) {
        // Each pass reads the file afresh.
        text::ReadWholeFile(path, listing);
        PassResult pass = RunPass(listing, band);
        if (band == Band::kC) report.recordsUnmapped += pass.unmapped;  // both passes see the same records
        if (pass.transponders.empty()) continue;
        if (s >= kSatelliteSlots) {
          leftOut = true;
          continue;
        }
        report.transpondersLeftOut += pass.leftOut;
        DATABASESATELLITEINFO& sat = db.satellites[static_cast<std::size_t>(s)];
        sat.name = nameText + (band == Band::kC ? "(C)" : "(KU)");
        sat.eastPosition = pass.eastPosition;
        sat.diseqc = pass.diseqc;
        for (std::size_t k = 0; k < pass.transponders.size(); ++k) {
          auto& tp = sat.transponders[k];
          tp.frequency = pass.transponders[k].frequency;
          tp.symbolRate = pass.transponders[k].symbolRate;
          tp.polarity = pass.transponders[k].polarity;
          tp.fec = pass.transponders[k].fec;
        }
        ++s;
      }
      if (leftOut) ++report.listingsLeftOut;
    }
  } catch (...) {
    db.count = s;
    throw;
  }
  db.count = s;
  report.satellites = s;
  return report;
}

bool ImportListsSatellite(const DATABASESATELLITEINFO& satellite) {
  if (satellite.name.size() < 2) return false;
  return satellite.eastPosition != 0 || satellite.name.compare(0, 5, kOtherPrefix) != 0;
}

std::string SatelliteRowText(int slot, const DATABASESATELLITEINFO& satellite) {
  char number[16];
  std::snprintf(number, sizeof number, "%.3d ", slot + 1);
  char position[32];
  std::snprintf(position, sizeof position, "(%u.%u E)", satellite.eastPosition / 10,
                satellite.eastPosition % 10);
  return number + satellite.name + position;
}

std::vector<SatelliteRow> ImportSatelliteRows(const DATABASESATELLITETABLE& db) {
  std::vector<SatelliteRow> rows;
  for (int s = 0; s < kSatelliteSlots; ++s) {
    const auto& sat = db.satellites[static_cast<std::size_t>(s)];
    if (ImportListsSatellite(sat)) rows.push_back({s, SatelliteRowText(s, sat)});
  }
  return rows;
}

// ---- Selection window
// ------------------------------------------------------------------------------------------

namespace {
constexpr int kIndexPositionOffset = 23;  // the position begins 23 characters after the address's first
constexpr int kIndexPositionWidth = 4;
}  // namespace

std::string SelectionSuffix(int p) {
  char text[48];
  if (p % 10 != 0)
    std::snprintf(text, sizeof text, " (E %d.%d)", p / 10, p % 10);
  else
    std::snprintf(text, sizeof text, " (E %d)", p / 10);
  return text;
}

void ReadSelectionRows(const std::filesystem::path& workDir,
                       const std::function<void(const SelectionRow&)>& addRow) {
  std::string header;
  const std::vector<std::string> lines = ReadIndex(workDir, header);
  const IndexColumns c = ParseIndexHeader(header);
  for (const std::string& line : lines) {
    SelectionRow row;
    row.eastPosition =
        text::ToIntOrThrow(Field(line, c.addressColumn + kIndexPositionOffset, kIndexPositionWidth));
    row.line = line;
    row.text = std::string(Field(line, c.nameColumn, c.nameLength)) + SelectionSuffix(row.eastPosition);
    row.address = IndexAddress(line, c);
    row.fileName = IndexFileName(line, c);
    addRow(row);
  }
}

}  // namespace orvane::satcodx
