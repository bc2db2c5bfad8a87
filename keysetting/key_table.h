// The receiver's key table: for each of eight services a PID mapping algorithm and two keys, stored as a
// 68-byte block inside a database image file. Also the PID mappings and the grid operations of the key
// setting window, over plain strings so that the window, orvane-cli and the tests share them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "channeldb/include/korva.h"

namespace orvane::keysetting {

inline constexpr int kServiceCount = 8;
inline constexpr std::uint32_t kPidMask = 0x1FFF;  // PIDs are 13-bit
inline constexpr int kPidCount = 8192;

// Algorithm numbers as stored.
inline constexpr std::int16_t kAlgorithmNone = 0;
inline constexpr std::int16_t kAlgorithm1 = 1;
inline constexpr std::int16_t kAlgorithm2 = 2;

// The block inside the database image file.
inline constexpr std::size_t kDatabaseFileSize = KORVA_DATABASE_FILE_SIZE;
inline constexpr std::size_t kBlockOffset = 0x6F00;
inline constexpr std::size_t kMarkerSize = 4;
inline constexpr std::size_t kEntrySize = 8;
inline constexpr std::size_t kBlockSize = kMarkerSize + kServiceCount * kEntrySize;  // 68
inline constexpr std::array<std::uint8_t, kMarkerSize> kMarker = {0xBA, 0xB0, 0xBA, 0xB0};

// KeyTableEntry, little-endian within the block.
namespace entry_layout {
inline constexpr std::size_t kAlgorithm = 0;  // signed 16-bit
inline constexpr std::size_t kKey1 = 2;
inline constexpr std::size_t kKey2 = 4;
inline constexpr std::size_t kReserved = 6;
}  // namespace entry_layout

struct KeyTableEntry {
  std::int16_t algorithm = 0;
  std::uint16_t key1 = 0;
  std::uint16_t key2 = 0;
  std::uint16_t reserved = 0;
  bool operator==(const KeyTableEntry&) const = default;
};

struct KeyTable {
  std::array<std::uint8_t, kMarkerSize> marker{};
  std::array<KeyTableEntry, kServiceCount> entries{};  // entries[n - 1] is service n
  bool operator==(const KeyTable&) const = default;
};

using Block = std::array<std::uint8_t, kBlockSize>;
Block EncodeBlock(const KeyTable& table);
KeyTable DecodeBlock(std::span<const std::uint8_t, kBlockSize> block);

// ---- PID mappings (every result is 13-bit; only the low 13 bits of a PID take part)

// The 13-bit value whose bit i is bit 12 - i of x.
std::uint16_t Rev13(std::uint32_t x);

enum class Direction { RealToVirtual, VirtualToReal };

std::uint16_t Algorithm1RealToVirtual(std::uint16_t key1, std::uint16_t key2, std::uint32_t real);
std::uint16_t Algorithm1VirtualToReal(std::uint16_t key1, std::uint16_t key2, std::uint32_t virt);
std::uint16_t Algorithm2RealToVirtual(std::uint16_t key1, std::uint16_t key2, std::uint32_t real);
std::uint16_t Algorithm2VirtualToReal(std::uint16_t key1, std::uint16_t key2, std::uint32_t virt);
// `algorithm` 1 or 2; any other value maps nothing and gives nullopt.
std::optional<std::uint16_t> MapPid(int algorithm, std::uint16_t key1, std::uint16_t key2,
                                    Direction direction, std::uint32_t pid);

// ---- Text rules of the window

// A number as the window reads a key or PID cell: signed 32-bit decimal; nullopt when it is not one.
std::optional<std::int32_t> CellNumber(std::string_view text);
// A key kept to 16 bits (typed 65537 is stored as 1, -1 as 65535).
inline std::uint16_t StoredKey(std::int32_t typed) {
  return static_cast<std::uint16_t>(typed);
}

// ---- The grid (rows and columns as the window shows them; row 0 and column 0 hold the titles)

inline constexpr int kGridColumns = 10;
inline constexpr int kGridRows = 1 + kServiceCount;
namespace column {
inline constexpr int kAlgorithm = 1;
inline constexpr int kKey1 = 2;
inline constexpr int kKey2 = 3;
inline constexpr int kRealVideo = 4;  // real PIDs 4..6, virtual PIDs 7..9, in the same order
inline constexpr int kVirtualVideo = 7;
inline constexpr int kPidColumns = 3;
}  // namespace column

// Texts, UTF-8.
inline constexpr std::string_view kNoneText = "None";
inline constexpr std::string_view kAlgorithm1Text = "알고리즘1";
inline constexpr std::string_view kAlgorithm2Text = "알고리즘2";

struct KeyGrid {
  std::array<std::array<std::string, kGridColumns>, kGridRows> cells;  // cells[row][column]
  std::string& at(int row, int col) {
    return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  }
  const std::string& at(int row, int col) const {
    return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  }
};

// Rebuilds `table`'s entries from the grid's algorithm and key cells (the marker stays) and fills the target
// PID cells of each row that has an algorithm and keys from its source PID cells: real to virtual, or back.
// A row whose algorithm is "None" or another text, or whose key cells are empty or not numbers, keeps an
// all-zero entry and its PID cells as they were; an empty source cell leaves its target cell as it was, and a
// source cell that is not a number counts as PID 0.
void ComputePids(KeyGrid& grid, KeyTable& table, Direction direction);

// Empties the six PID columns of the service rows.
void ClearPids(KeyGrid& grid);

// Shows a loaded table: columns 1 to 9 of the service rows emptied, then each entry's algorithm text and, for
// an algorithm other than 0, its keys as unsigned decimals. An algorithm other than 0, 1, 2 leaves its cell
// empty.
void ShowTable(const KeyTable& table, KeyGrid& grid);

// ---- The block in a database image file (FileError on failure, naming the file and the reason)

// Reads the block at 0x6F00 of any regular file long enough to hold it. The marker is not examined.
KeyTable ReadKeyTable(const std::string& path);

// Writes the block into an existing 65,536-byte database image file, replacing the file whole so that a
// crash never leaves it half written, and changing no other byte. Another size, or no such file: nothing is
// written.
void WriteKeyTable(const std::string& path, const KeyTable& table);

// Changes one entry (service 1 to 8) of the block in such a file, sets the marker and keeps the other entries
// as the file held them; written as WriteKeyTable writes. Returns the table written.
KeyTable WriteKeyTableEntry(const std::string& path, int service, const KeyTableEntry& entry);

}  // namespace orvane::keysetting
