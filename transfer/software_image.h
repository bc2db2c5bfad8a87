// What the software update tool sends: a software image recognised by its size and compressed, or the
// channel data file unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/file_names.h"

namespace orvane::transfer {

inline constexpr const char* kChannelDataFile = files::kLatestDatabasePath;  // the editor's latest save
inline constexpr std::int64_t kChannelDataSize = 65536;
// ImageVersion lies this many bytes before the end of the image (first and second byte).
inline constexpr std::int64_t kVersionOffsetFromEnd = 224;

inline constexpr const char* kMsgFileError = "File Error";
inline constexpr const char* kMsgInvalidUpdateFile = "ERROR : Invalid update file";

struct ImageKindInfo {
  std::int64_t size;
  int kind;
  const char* token;
};
inline constexpr ImageKindInfo kImageKinds[] = {
    {1703936, 0, "2PD*"},
    {1179648, 1, "2P**"},
    {2097152, 7, "2M**"},
};

// -1 for a size that is no software image.
int ImageKindOf(std::int64_t size);
const char* ProgramTokenOf(int kind);
// "%.2X%.2X" of the two version bytes of `image` (which has the size of its kind).
std::string ImageVersionOf(const std::vector<std::uint8_t>& image, std::int64_t size);

struct PreparedUpload {
  std::string error;   // the message to show; empty when ready
  std::string detail;  // why, where the program knows (the system's reason, the size found)
  std::uint32_t length = 0;
  std::string programToken;
  std::string imageVersion;  // empty for channel data
  int imageKind = -1;
  std::uint32_t sourceSize = 0;
};

// Mode 0: reads the file into `fileBuffer`, compresses it into `sendBuffer` (both kSendBufferSize bytes).
PreparedUpload PrepareSoftwareImage(const std::string& path, std::vector<std::uint8_t>& fileBuffer,
                                    std::vector<std::uint8_t>& sendBuffer);
// Mode 1: reads the channel data file (65,536 bytes) into `sendBuffer`.
PreparedUpload PrepareChannelData(const std::string& path, std::vector<std::uint8_t>& sendBuffer);

}  // namespace orvane::transfer
