// The program's one way to write a file and one way to read a whole file.
//
// WriteFileWhole replaces the file's contents whole or not at all:
//  - the target's real path is written: a symbolic link is followed and the file it names is replaced, so the
//    link stays a link;
//  - a target that exists and is not a regular file (a folder, a FIFO, a device) is refused, and so is an
//    existing file this process may not write (a 0444 file stays as it is);
//  - the bytes go to a short temporary name in the target's folder, are flushed (fsync), and the temporary is
//    renamed over the target, then the folder is flushed too; the existing file's mode (and, where allowed, its
//    owner) is kept; a new file gets 0666 less the umask, applied by the kernel, so the process umask is never
//    touched;
//  - two cases are written in place instead (open, write, truncate, fsync): a file with more than one hard link,
//    since a rename would split the links and leave the other names on the old bytes; and a file that may be
//    written in a folder that may not, since no temporary can be made there. Both keep the user's file where it
//    is; a crash in the middle of such a write can leave it partly written, which a rename would have avoided.
//
// ReadFileWhole opens regular files only, and without blocking, so a FIFO never hangs the program; a caller
// with a size cap gets a clear message instead of a huge allocation.
//
// Failures throw FileError, whose text names the file and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::files {

class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, int error, const std::string& what);
  const std::string& path() const { return path_; }
  int error() const { return error_; }  // errno value, 0 when the reason is not a system error
  const std::string& reason() const { return reason_; }  // the reason alone, without the file name

 private:
  std::string path_;
  int error_;
  std::string reason_;
};

inline constexpr std::size_t kNoSizeCap = std::numeric_limits<std::size_t>::max();

void WriteFileWhole(const std::string& path, std::span<const std::uint8_t> data);
void WriteFileWhole(const std::string& path, std::string_view data);

// Throws what WriteFileWhole would throw before writing anything (the target is not a regular file, may not be
// written, its folder is missing or neither it nor the file may be written). For checking before a long
// operation whose result would otherwise be thrown away.
void CheckWritable(const std::string& path);

// The whole file. `cap`: larger files are refused ("too large").
std::vector<std::uint8_t> ReadFileWhole(const std::string& path, std::size_t cap = kNoSizeCap);
// At most the first `count` bytes of a regular file; a longer file is no error.
std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t count);
// The same into `out`, reusing its storage (text files read again and again).
void ReadFileWhole(const std::string& path, std::string& out, std::size_t cap = kNoSizeCap);

// Before `path` is replaced: copies what it holds to `backup` through WriteFileWhole. A link is followed, so
// the backup holds the content of the file the link names. False when there is nothing at `path`; a FileError
// when it cannot be read (not a regular file) or the backup cannot be written.
bool BackUpFile(const std::string& path, const std::string& backup);

// The size of a regular file, or a FileError as ReadFileWhole gives it (missing, not a regular file).
std::uint64_t RegularFileSize(const std::string& path);

// The real path that a write of `path` replaces: symbolic links followed (a dangling link names the file it
// would create), the final name kept when the file does not exist yet.
std::string ResolveWriteTarget(const std::string& path);

}  // namespace orvane::files
