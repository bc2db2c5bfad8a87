#include "transfer/data_area.h"

#include <algorithm>
#include <stdexcept>

#include "common/file_io.h"
#include "transfer/software_image.h"
#include "transfer/transfer_session.h"

namespace orvane::transfer {

static_assert(kSatTpMergeOffset + kSatTpMergeBytes == kDataAreaImageSize);
static_assert(kRadioMergeOffset + kRadioMergeBytes == kSatTpMergeOffset + 8);

void ApplyMerge(std::span<std::uint8_t> dataArea, const MergeSources& sources) {
  if (dataArea.size() != kDataAreaImageSize) throw std::invalid_argument("data area of the wrong size");
  for (const MergeRow& row : kMergeMap) {
    const auto& src = sources[static_cast<std::size_t>(row.source)];
    if (!src.empty() && src.size() < row.bytes) throw std::invalid_argument("merge source too short");
  }
  for (const MergeRow& row : kMergeMap) {
    const auto& src = sources[static_cast<std::size_t>(row.source)];
    if (src.empty()) continue;
    std::copy_n(src.begin(), row.bytes, dataArea.begin() + static_cast<std::ptrdiff_t>(row.offset));
  }
}

SatTpFile ReadSatTpFile(const std::string& path) {
  SatTpFile f;
  f.size = files::RegularFileSize(path);
  if (f.size == 0) {
    f.check = SatTpCheck::FileError;
    return f;
  }
  if (f.size != kSatTpBufferSize) {
    f.check = SatTpCheck::InvalidSize;
    return f;
  }
  // One byte over the cap tells a file that grew since its size was taken.
  f.bytes = files::ReadFileWhole(path, kSatTpBufferSize + 1);
  if (f.bytes.size() != kSatTpBufferSize) {
    f.size = f.bytes.size();
    f.bytes.clear();
    f.check = f.size == 0 ? SatTpCheck::FileError : SatTpCheck::InvalidSize;
    return f;
  }
  f.check = SatTpCheck::Ok;
  return f;
}

const char* SatTpMessage(SatTpCheck check) {
  switch (check) {
    case SatTpCheck::Ok:
      return nullptr;
    case SatTpCheck::FileError:
      return kMsgFileError;
    case SatTpCheck::InvalidSize:
      return kMsgSatTpInvalid;
  }
  return nullptr;
}

}  // namespace orvane::transfer
