// The Internet download: fetches the listings of the marked index rows over HTTP into ./import/ and then runs
// the import. Toolkit-free: the editor passes its caption setter and event pump as callbacks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "satcodx/satcodx_import.h"
#include "urlfetch/include/quonel.h"

namespace orvane::satcodx {

// OpenUrl's C signature; the program passes the Quonel export itself.
using OpenUrlFunction = std::int16_t (*)(const char* url, std::int32_t* size, std::int32_t* status,
                                         std::int32_t* stage, char* buffer);

inline constexpr std::size_t kDownloadBufferSize = 524288;
static_assert(kDownloadBufferSize >= QUONEL_BUFFER_MIN_SIZE);
inline constexpr std::int32_t kHttpOk = 200;
inline constexpr char kUrlPrefix[] = "http://";

// The program's receive buffer and OpenUrl's three outputs. Half a megabyte: allocate it once on the heap.
struct DownloadBuffer {
  std::array<char, kDownloadBufferSize> data{};
  std::int32_t size = 0;
  std::int32_t status = 0;
  std::int32_t stage = 0;
};

struct DownloadHooks {
  std::function<void(const std::string&)> setCaption;  // "Received : %d/%d" per fetch, then "satcodx data"
  std::function<void()> processEvents;                 // called once before the first fetch
};

// "Received : %d/%d".
std::string ReceivedCaption(int done, int total);

struct FetchOutcome {
  int row = 0;
  std::string url;
  std::string fileName;
  std::int16_t result = 0;
  std::int32_t status = 0;
  std::int32_t stage = 0;
  std::int32_t size = 0;
  bool written = false;  // the listing file now holds the fetched bytes
  std::string error;     // why a fetched listing was not written (empty otherwise)
};

struct DownloadReport {
  int marked = 0;  // marked rows that exist in the index; 0 means nothing was done at all
  std::vector<FetchOutcome> fetches;
  int written = 0;
  ImportReport import;
};

// Walks workDir/satcodx.imp; for every row r with marked[r] (rows past the vector's end are unmarked) fetches
// "http://" + address through openUrl into `buffer` and, when status is 200, writes size bytes to
// workDir/import/<file name> whole or not at all (./import/ is created when missing). Other statuses leave
// the file as it was. Then sets the caption to "satcodx data" and runs ImportSatcodx on `db`. With no marked
// row nothing is fetched, imported or captioned. Throws SatcodxError like the import (index missing, bad
// header number), also from the final import.
DownloadReport DownloadAndLoad(DATABASESATELLITETABLE& db, const std::vector<bool>& marked,
                               DownloadBuffer& buffer, OpenUrlFunction openUrl, const DownloadHooks& hooks,
                               const std::filesystem::path& workDir = ".");

}  // namespace orvane::satcodx
