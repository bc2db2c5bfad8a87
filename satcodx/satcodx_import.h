// The SatCoDX import: rebuilds the channel database from the listing files on disk ("./satcodx.imp" names the
// satellites, "./import/<file>" holds each one's listing), and the index reading the selection window needs.
// Toolkit-free: windows call these and show the results and errors themselves.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "channeldb/records.h"

namespace orvane::satcodx {

inline constexpr char kIndexFileName[] = "satcodx.imp";
inline constexpr char kImportFolderName[] = "import";
// Window caption after an import (and after a download, which ends with one).
inline constexpr char kImportCaption[] = "satcodx data";

// A runtime error of the SatCoDX functions. what() is the text the user is shown, e.g. "File not found" or
// "'4x' is not a valid integer value".
class SatcodxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The six two-digit numbers of the index header (columns counted from 1).
struct IndexColumns {
  int addressColumn = 0;  // N1: first column of the listing's address (without "http://")
  int addressLength = 0;  // N2
  int fileColumn = 0;     // N3: first column of the listing's file name
  int fileLength = 0;     // N4
  int nameColumn = 0;     // N5: first column of the satellite name
  int nameLength = 0;     // N6 (shown in the selection window; the import reads the name its own way)
};

// Reads the header line. Throws SatcodxError("'<text>' is not a valid integer value") for a field that is not
// a number.
IndexColumns ParseIndexHeader(std::string_view header);

// N4 characters from column N3 / N2 characters from column N1 of an index line, trailing blanks removed
// (index lines pad their fields with blanks). Shorter lines give what is there.
std::string IndexFileName(std::string_view line, const IndexColumns& columns);
std::string IndexAddress(std::string_view line, const IndexColumns& columns);

// What one import did. The model itself is the result; these counts are for reports and logs.
struct ImportReport {
  std::string caption = kImportCaption;
  int satellites = 0;           // satellites made, slots 0..satellites-1 (also stored as db.count)
  int indexLines = 0;           // satellite lines of the index
  int listingsRead = 0;         // listings present in ./import/ and read
  int listingsMissing = 0;      // index lines whose listing file is not there (passed over silently)
  int listingsLeftOut = 0;      // listings not read because all 156 satellite slots were taken
  int transpondersLeftOut = 0;  // transponders past the 120th of one pass (the first 120 are kept)
  int recordsUnmapped = 0;  // records passed over for a polarisation digit 4-9 (FEC digits 8, 9 read as AUTO)
  // Index lines passed over because their file name is a path, not a plain name (as the download refuses
  // them): "satcodx.imp line 3: '../x' is not a plain file name".
  std::vector<std::string> refusedNames;
};

// Runs the import on `db` in `workDir` (the program passes its working folder, "."):
// clears every satellite slot, then for each index line runs the C pass and the KU pass over
// workDir/import/<file name>. Throws SatcodxError on failure: "File not found" when the index is missing, the
// runtime's input/output text when the index or a present listing cannot be read, "'%s' is not a valid
// integer value" for a bad header number. After a throw the model holds exactly the satellites finished
// before the failure (slots 0..n-1, db.count = n, every later slot empty), so the caller can refill its lists
// from the model and show what it holds.
ImportReport ImportSatcodx(DATABASESATELLITETABLE& db, const std::filesystem::path& workDir = ".");

// ---- Satellite list rows after an import
// ----------------------------------------------------------------------

// A slot is listed when its name has at least 2 characters and either its east position is non-zero or its
// name does not begin with "Other".
bool ImportListsSatellite(const DATABASESATELLITEINFO& satellite);
// "%.3d " with slot+1, the name, then "(%d.%d E)" with position/10 and position%10: "001 Alpha 1 (KU)(19.2
// E)".
std::string SatelliteRowText(int slot, const DATABASESATELLITEINFO& satellite);

struct SatelliteRow {
  int slot = 0;
  std::string text;
};
// The rows of lbSatelliteNameList after an import: every listed slot of all 156, slot 0 first.
std::vector<SatelliteRow> ImportSatelliteRows(const DATABASESATELLITETABLE& db);

// ---- Reading the index for the selection window
// ------------------------------------------------------------

struct SelectionRow {
  std::string line;      // the whole index line (lbHideSelectSatelliteList)
  std::string text;      // N6 characters from column N5 and the position suffix (lbSelectSatelliteList)
  std::string address;   // IndexAddress(line)
  std::string fileName;  // IndexFileName(line)
  int eastPosition = 0;  // columns N1+23..N1+26, tenths of a degree
};

// " (E %d.%d)" for a position that is not a multiple of 10, else " (E %d)": 192 -> " (E 19.2)", 130 -> " (E
// 13)".
std::string SelectionSuffix(int eastPosition);

// Reads workDir/satcodx.imp and calls addRow for each satellite line in file order (row r = r-th line after
// the header). Throws SatcodxError ("File not found", "'%s' is not a valid integer value" for a header number
// or a position field); rows passed to addRow before the throw stay where the caller put them.
void ReadSelectionRows(const std::filesystem::path& workDir,
                       const std::function<void(const SelectionRow&)>& addRow);

}  // namespace orvane::satcodx
