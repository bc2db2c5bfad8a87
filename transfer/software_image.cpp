#include "transfer/software_image.h"

#include <algorithm>
#include <cstdio>

#include "common/file_io.h"
#include "pictures/lzsscompress/lzsscompress.h"
#include "transfer/transfer_session.h"

namespace orvane::transfer {

int ImageKindOf(std::int64_t size) {
  for (const auto& k : kImageKinds)
    if (k.size == size) return k.kind;
  return -1;
}

const char* ProgramTokenOf(int kind) {
  for (const auto& k : kImageKinds)
    if (k.kind == kind) return k.token;
  return "";
}

std::string ImageVersionOf(const std::vector<std::uint8_t>& image, std::int64_t size) {
  if (size < kVersionOffsetFromEnd || static_cast<std::uint64_t>(size) > image.size()) return "0000";
  const std::size_t at = static_cast<std::size_t>(size - kVersionOffsetFromEnd);
  char buf[8];
  std::snprintf(buf, sizeof buf, "%.2X%.2X", image[at], image[at + 1]);
  return buf;
}

namespace {

// The size of a regular file; -1 for anything else (missing, a folder, a FIFO), with the reason in `why`.
std::int64_t FileSize(const std::string& path, std::string& why) {
  try {
    return static_cast<std::int64_t>(files::RegularFileSize(path));
  } catch (const files::FileError& e) {
    why = e.what();
    return -1;
  }
}

// Reads up to `size` bytes; the count actually read, -1 when the file cannot be read (the reason in `why`).
std::int64_t ReadInto(const std::string& path, std::vector<std::uint8_t>& buffer, std::int64_t size,
                      std::string& why) {
  if (buffer.size() < static_cast<std::size_t>(size)) return -1;
  try {
    const std::vector<std::uint8_t> bytes = files::ReadFileWhole(path, static_cast<std::size_t>(size));
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    if (static_cast<std::int64_t>(bytes.size()) < size)
      why = path + ": only " + std::to_string(bytes.size()) + " of " + std::to_string(size) + " bytes could be read";
    return static_cast<std::int64_t>(bytes.size());
  } catch (const files::FileError& e) {
    why = e.what();
    return -1;
  }
}

std::string SizeNote(const std::string& path, std::int64_t size, const std::string& expected) {
  return path + ": " + std::to_string(size) + " bytes; " + expected;
}

}  // namespace

PreparedUpload PrepareSoftwareImage(const std::string& path, std::vector<std::uint8_t>& fileBuffer,
                                    std::vector<std::uint8_t>& sendBuffer) {
  PreparedUpload p;
  fileBuffer.resize(kSendBufferSize);
  sendBuffer.resize(kSendBufferSize);
  const std::int64_t size = path.empty() ? -1 : FileSize(path, p.detail);
  if (size < 0) {
    p.error = kMsgFileError;
    return p;
  }
  p.imageKind = size > 0 ? ImageKindOf(size) : -1;
  if (p.imageKind < 0) {
    p.error = kMsgFileError;
    p.detail = SizeNote(path, size, "a software image has 1703936, 1179648 or 2097152");
    return p;
  }
  if (ReadInto(path, fileBuffer, size, p.detail) < size) {
    p.error = kMsgFileError;
    return p;
  }
  p.sourceSize = static_cast<std::uint32_t>(size);
  p.imageVersion = ImageVersionOf(fileBuffer, size);
  p.programToken = ProgramTokenOf(p.imageKind);
  std::int32_t length = -1;
  LzssCompress(fileBuffer.data(), static_cast<std::int32_t>(size), sendBuffer.data(), &length);
  if (length <= 0) {
    p.error = kMsgFileError;  // cannot happen for the three sizes; the compressor refuses what won't fit
    return p;
  }
  p.length = static_cast<std::uint32_t>(length);
  return p;
}

PreparedUpload PrepareChannelData(const std::string& path, std::vector<std::uint8_t>& sendBuffer) {
  PreparedUpload p;
  sendBuffer.resize(kSendBufferSize);
  const std::int64_t size = path.empty() ? -1 : FileSize(path, p.detail);
  if (size <= 0) {
    p.error = kMsgFileError;
    if (size == 0) p.detail = SizeNote(path, size, "channel data has 65536");
    return p;
  }
  if (size != kChannelDataSize) {
    p.error = kMsgInvalidUpdateFile;
    p.detail = SizeNote(path, size, "channel data has 65536");
    return p;
  }
  if (ReadInto(path, sendBuffer, kChannelDataSize, p.detail) < kChannelDataSize) {
    p.error = kMsgFileError;
    return p;
  }
  p.length = kChannelDataSize;
  p.programToken = std::string(k2T);
  return p;
}

}  // namespace orvane::transfer
