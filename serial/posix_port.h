// The POSIX side of the serial port: opening a device exclusively with the line settings, purging and
// closing. TComm32's threads work on the descriptor this returns (non-blocking, polled).
#pragma once

#include <cstdint>
#include <string>

namespace orvane::serial {

struct LineSettings {
  std::uint32_t rate = 9600;  // bit/s
  int dataBits = 8;           // 4..8
  int parity = 0;             // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stopBits = 0;           // 0 one, 1 one and a half, 2 two
  std::uint8_t eventChar = 0x0D;
  std::uint8_t eofChar = 0x0D;
};

struct OpenResult {
  int fd = -1;         // -1 on failure
  std::string reason;  // why opening failed, for the user
};

// Opens `path` read/write, non-blocking, exclusively (an advisory lock plus TIOCEXCL), checks that it is a
// character device and programs it raw with `settings`.
OpenResult OpenDevice(const std::string& path, const LineSettings& settings);
void PurgeInput(int fd);
// Bytes the driver still holds for sending (0 when unknown).
int OutputQueued(int fd);
void PurgeOutput(int fd);
// Drops the exclusive mode (other openers of the same tty would otherwise stay locked out) and closes.
void CloseDevice(int fd);

}  // namespace orvane::serial
