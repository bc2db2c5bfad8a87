#include "keysetting/key_table.h"

#include <vector>

#include "common/bytes.h"
#include "common/file_io.h"
#include "editor/editor_core.h"

namespace orvane::keysetting {

namespace {

constexpr std::size_t EntryOffset(std::size_t n) {
  return kMarkerSize + n * kEntrySize;
}

}  // namespace

Block EncodeBlock(const KeyTable& table) {
  Block block{};
  bytes::PutBytes(block, 0, table.marker);
  for (std::size_t n = 0; n < table.entries.size(); ++n) {
    const KeyTableEntry& e = table.entries[n];
    const std::size_t at = EntryOffset(n);
    bytes::PutU16LE(block, at + entry_layout::kAlgorithm, static_cast<std::uint16_t>(e.algorithm));
    bytes::PutU16LE(block, at + entry_layout::kKey1, e.key1);
    bytes::PutU16LE(block, at + entry_layout::kKey2, e.key2);
    bytes::PutU16LE(block, at + entry_layout::kReserved, e.reserved);
  }
  return block;
}

KeyTable DecodeBlock(std::span<const std::uint8_t, kBlockSize> block) {
  KeyTable table;
  for (std::size_t i = 0; i < kMarkerSize; ++i) table.marker[i] = block[i];
  for (std::size_t n = 0; n < table.entries.size(); ++n) {
    KeyTableEntry& e = table.entries[n];
    const std::size_t at = EntryOffset(n);
    e.algorithm = static_cast<std::int16_t>(bytes::GetU16LE(block, at + entry_layout::kAlgorithm));
    e.key1 = bytes::GetU16LE(block, at + entry_layout::kKey1);
    e.key2 = bytes::GetU16LE(block, at + entry_layout::kKey2);
    e.reserved = bytes::GetU16LE(block, at + entry_layout::kReserved);
  }
  return table;
}

std::uint16_t Rev13(std::uint32_t x) {
  std::uint32_t r = 0;
  for (int i = 0; i < 13; ++i) r |= ((x >> (12 - i)) & 1u) << i;
  return static_cast<std::uint16_t>(r);
}

std::uint16_t Algorithm1RealToVirtual(std::uint16_t key1, std::uint16_t key2, std::uint32_t real) {
  return static_cast<std::uint16_t>(Rev13(real ^ (key1 & 0xFFu)) ^ (key2 & kPidMask));
}

std::uint16_t Algorithm1VirtualToReal(std::uint16_t key1, std::uint16_t key2, std::uint32_t virt) {
  return static_cast<std::uint16_t>(Rev13(virt ^ (key2 & kPidMask)) ^ (key1 & 0xFFu));
}

std::uint16_t Algorithm2RealToVirtual(std::uint16_t key1, std::uint16_t key2, std::uint32_t real) {
  return static_cast<std::uint16_t>(Rev13((real ^ key1 ^ kPidMask) & kPidMask) ^
                                    (~std::uint32_t{key2} & 0xFFu));
}

std::uint16_t Algorithm2VirtualToReal(std::uint16_t key1, std::uint16_t key2, std::uint32_t virt) {
  return static_cast<std::uint16_t>((Rev13(virt ^ (~std::uint32_t{key2} & 0xFFu)) ^ ~std::uint32_t{key1}) &
                                    kPidMask);
}

std::optional<std::uint16_t> MapPid(int algorithm, std::uint16_t key1, std::uint16_t key2,
                                    Direction direction, std::uint32_t pid) {
  const bool forward = direction == Direction::RealToVirtual;
  switch (algorithm) {
    case kAlgorithm1:
      return forward ? Algorithm1RealToVirtual(key1, key2, pid) : Algorithm1VirtualToReal(key1, key2, pid);
    case kAlgorithm2:
      return forward ? Algorithm2RealToVirtual(key1, key2, pid) : Algorithm2VirtualToReal(key1, key2, pid);
    default:
      return std::nullopt;
  }
}

std::optional<std::int32_t> CellNumber(std::string_view text) {
  // The program's conversion gives a fallback for anything that is not a number; two different fallbacks
  // tell a typed 0 from text that is not a number.
  const std::int32_t value = editor::TextToInt32(text, 0);
  if (value != 0 || editor::TextToInt32(text, 1) == 0) return value;
  return std::nullopt;
}

void ComputePids(KeyGrid& grid, KeyTable& table, Direction direction) {
  table.entries = {};
  const bool forward = direction == Direction::RealToVirtual;
  for (int row = 1; row <= kServiceCount; ++row) {
    const std::string& name = grid.at(row, column::kAlgorithm);
    if (name == kNoneText || grid.at(row, column::kKey1).empty() || grid.at(row, column::kKey2).empty())
      continue;
    std::int16_t algorithm;
    if (name == kAlgorithm1Text)
      algorithm = kAlgorithm1;
    else if (name == kAlgorithm2Text)
      algorithm = kAlgorithm2;
    else
      continue;
    const auto key1 = CellNumber(grid.at(row, column::kKey1));
    const auto key2 = CellNumber(grid.at(row, column::kKey2));
    if (!key1 || !key2) continue;
    KeyTableEntry& entry = table.entries[static_cast<std::size_t>(row - 1)];
    entry = {algorithm, StoredKey(*key1), StoredKey(*key2), 0};
    for (int i = 0; i < column::kPidColumns; ++i) {
      const int from = (forward ? column::kRealVideo : column::kVirtualVideo) + i;
      const int to = (forward ? column::kVirtualVideo : column::kRealVideo) + i;
      const std::string& source = grid.at(row, from);
      if (source.empty()) continue;
      const auto pid = static_cast<std::uint32_t>(CellNumber(source).value_or(0));
      grid.at(row, to) = std::to_string(*MapPid(algorithm, entry.key1, entry.key2, direction, pid));
    }
  }
}

void ClearPids(KeyGrid& grid) {
  for (int row = 1; row <= kServiceCount; ++row)
    for (int col = column::kRealVideo; col < column::kVirtualVideo + column::kPidColumns; ++col)
      grid.at(row, col).clear();
}

void ShowTable(const KeyTable& table, KeyGrid& grid) {
  for (int row = 1; row <= kServiceCount; ++row) {
    for (int col = 1; col < kGridColumns; ++col) grid.at(row, col).clear();
    const KeyTableEntry& e = table.entries[static_cast<std::size_t>(row - 1)];
    switch (e.algorithm) {
      case kAlgorithmNone:
        grid.at(row, column::kAlgorithm) = kNoneText;
        break;
      case kAlgorithm1:
        grid.at(row, column::kAlgorithm) = kAlgorithm1Text;
        break;
      case kAlgorithm2:
        grid.at(row, column::kAlgorithm) = kAlgorithm2Text;
        break;
      default:
        break;
    }
    if (e.algorithm != kAlgorithmNone) {
      grid.at(row, column::kKey1) = std::to_string(e.key1);
      grid.at(row, column::kKey2) = std::to_string(e.key2);
    }
  }
}

KeyTable ReadKeyTable(const std::string& path) {
  const std::vector<std::uint8_t> file = files::ReadFileStart(path, kBlockOffset + kBlockSize);
  if (file.size() < kBlockOffset + kBlockSize)
    throw files::FileError(path, 0,
                           "cannot read " + path + ": too short to hold a key table (" +
                               std::to_string(file.size()) + " bytes, the table ends at byte " +
                               std::to_string(kBlockOffset + kBlockSize) + ")");
  return DecodeBlock(std::span<const std::uint8_t, kBlockSize>(file.data() + kBlockOffset, kBlockSize));
}

namespace {

// The whole of an existing database image file; any other size is refused before anything is written.
std::vector<std::uint8_t> ReadDatabaseFile(const std::string& path) {
  auto refuse = [&path](std::uint64_t size) {
    throw files::FileError(path, 0,
                           "cannot write " + path + ": not a database image file (" + std::to_string(size) +
                               " bytes instead of " + std::to_string(kDatabaseFileSize) +
                               "), nothing was written");
  };
  // Sized first, so that a large file is refused with this message and never read.
  const std::uint64_t size = files::RegularFileSize(path);
  if (size != kDatabaseFileSize) refuse(size);
  std::vector<std::uint8_t> file = files::ReadFileWhole(path, kDatabaseFileSize);
  if (file.size() != kDatabaseFileSize) refuse(file.size());
  return file;
}

}  // namespace

void WriteKeyTable(const std::string& path, const KeyTable& table) {
  std::vector<std::uint8_t> file = ReadDatabaseFile(path);
  bytes::PutBytes(file, kBlockOffset, EncodeBlock(table));
  files::WriteFileWhole(path, file);
}

KeyTable WriteKeyTableEntry(const std::string& path, int service, const KeyTableEntry& entry) {
  if (service < 1 || service > kServiceCount) throw std::out_of_range("service outside 1 to 8");
  std::vector<std::uint8_t> file = ReadDatabaseFile(path);
  KeyTable table =
      DecodeBlock(std::span<const std::uint8_t, kBlockSize>(file.data() + kBlockOffset, kBlockSize));
  table.marker = kMarker;
  table.entries[static_cast<std::size_t>(service - 1)] = entry;
  bytes::PutBytes(file, kBlockOffset, EncodeBlock(table));
  files::WriteFileWhole(path, file);
  return table;
}

}  // namespace orvane::keysetting
