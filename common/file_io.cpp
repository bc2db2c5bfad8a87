#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>

namespace orvane::files {

namespace {

constexpr int kMaxLinkDepth = 40;  // as the kernel's own limit on nested links
constexpr int kTempNameTries = 100;
constexpr mode_t kNewFileMode = 0666;  // less the umask, applied by the kernel at creation

std::string SystemReason(int error) { return std::strerror(error); }

[[noreturn]] void Fail(const std::string& path, int error, const std::string& verb) {
  throw FileError(path, error, verb + " " + path + ": " + SystemReason(error));
}

[[noreturn]] void FailWith(const std::string& path, const std::string& verb, const std::string& reason) {
  throw FileError(path, 0, verb + " " + path + ": " + reason);
}

std::string Folder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A short name: a long target name must not make the temporary's name too long for the file system.
std::string TempName(const std::string& folder) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".orvane-";
  for (int i = 0; i < 8; ++i) name.push_back(kDigits[random() % (sizeof kDigits - 1)]);
  return (folder == "/" ? std::string() : folder) + "/" + name;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename has happened; a folder we cannot open for syncing is no failure of the write
  ::fsync(fd);
  ::close(fd);
}

struct Target {
  std::string path;  // the real file to replace
  bool exists = false;
  struct stat st {};
};

Target Examine(const std::string& path) {
  Target t;
  t.path = ResolveWriteTarget(path);
  if (::stat(t.path.c_str(), &t.st) == 0) {
    t.exists = true;
    if (!S_ISREG(t.st.st_mode)) FailWith(path, "cannot write", "not a regular file");
    // A file without any write permission is read-only for us too, even where the system would let us write.
    if ((t.st.st_mode & 0222) == 0) Fail(path, EACCES, "cannot write");
    if (::access(t.path.c_str(), W_OK) != 0) Fail(path, errno, "cannot write");
  } else if (errno != ENOENT) {
    Fail(path, errno, "cannot write");
  } else {
    struct stat folder {};
    const std::string dir = Folder(t.path);
    if (::stat(dir.c_str(), &folder) != 0) Fail(path, errno, "cannot write");
    if (!S_ISDIR(folder.st_mode)) Fail(path, ENOTDIR, "cannot write");
  }
  return t;
}

// In place: for hard-linked files and for files whose folder may not be written.
void WriteInPlace(const std::string& shownPath, const Target& t, std::span<const std::uint8_t> data) {
  const int fd = ::open(t.path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) Fail(shownPath, errno, "cannot write");
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int e = errno ? errno : EINVAL;
    ::close(fd);
    Fail(shownPath, e, "cannot write");
  }
  const bool ok = WriteAll(fd, data.data(), data.size()) &&
                  ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 && ::fsync(fd) == 0;
  const int e = errno;
  if (::close(fd) != 0 && ok) Fail(shownPath, errno, "cannot write");
  if (!ok) Fail(shownPath, e, "cannot write");
}

}  // namespace

FileError::FileError(const std::string& path, int error, const std::string& what)
    : std::runtime_error(what), path_(path), error_(error) {
  const auto colon = what.rfind(": ");
  reason_ = colon == std::string::npos ? what : what.substr(colon + 2);
}

std::string ResolveWriteTarget(const std::string& path) {
  if (path.empty()) FailWith(path, "cannot write", "no file name");
  std::string current = path;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0) Fail(path, errno, "cannot write");
    link.resize(static_cast<std::size_t>(n));
    current = (!link.empty() && link[0] == '/') ? link : Folder(current) + "/" + link;
  }
  Fail(path, ELOOP, "cannot write");
}

void CheckWritable(const std::string& path) {
  const Target t = Examine(path);
  const std::string folder = Folder(t.path);
  if (::access(folder.c_str(), W_OK | X_OK) == 0) return;
  if (t.exists) return;  // written in place
  Fail(path, errno, "cannot write");
}

void WriteFileWhole(const std::string& path, std::span<const std::uint8_t> data) {
  const Target t = Examine(path);
  if (t.exists && t.st.st_nlink > 1) return WriteInPlace(path, t, data);

  const std::string folder = Folder(t.path);
  std::string temp;
  int fd = -1;
  for (int i = 0; i < kTempNameTries && fd < 0; ++i) {
    temp = TempName(folder);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int e = errno;
    if (t.exists && (e == EACCES || e == EPERM || e == EROFS)) return WriteInPlace(path, t, data);
    Fail(path, e, "cannot write");
  }
  auto abandon = [&](int e) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(path, e, "cannot write");
  };
  if (t.exists) {
    // Root may write other users' files: keep them theirs. Failing to do so is no reason to refuse the write.
    if (::fchown(fd, t.st.st_uid, t.st.st_gid) != 0) {
    }
    if (::fchmod(fd, t.st.st_mode & 07777) != 0) abandon(errno);
  }
  if (!WriteAll(fd, data.data(), data.size()) || ::fsync(fd) != 0) abandon(errno);
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(temp.c_str());
    Fail(path, e, "cannot write");
  }
  if (::rename(temp.c_str(), t.path.c_str()) != 0) {
    const int e = errno;
    ::unlink(temp.c_str());
    Fail(path, e, "cannot write");
  }
  SyncFolder(folder);
}

void WriteFileWhole(const std::string& path, std::string_view data) {
  WriteFileWhole(path, std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

namespace {

// Opens for reading without ever blocking on a FIFO or a device, and only if it is a regular file.
int OpenRegular(const std::string& path, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) Fail(path, errno, "cannot read");
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    Fail(path, e, "cannot read");
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    Fail(path, EISDIR, "cannot read");
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    FailWith(path, "cannot read", "not a regular file");
  }
  return fd;
}

}  // namespace

std::uint64_t RegularFileSize(const std::string& path) {
  struct stat st {};
  ::close(OpenRegular(path, st));
  return static_cast<std::uint64_t>(st.st_size);
}

namespace {

[[noreturn]] void FailTooLarge(const std::string& path, std::uint64_t size, std::size_t cap) {
  FailWith(path, "cannot read",
           "file too large (" + (size ? std::to_string(size) + " bytes, " : std::string()) + "at most " +
               std::to_string(cap) + " bytes)");
}

// `prefix`: the first `cap` bytes are wanted and the rest is not read; else a longer file is refused.
template <typename Buffer>
void ReadInto(const std::string& path, std::size_t cap, Buffer& out, bool prefix = false) {
  struct stat st {};
  const int fd = OpenRegular(path, st);
  const auto statSize = static_cast<std::uint64_t>(st.st_size);
  if (!prefix && statSize > cap) {
    ::close(fd);
    FailTooLarge(path, statSize, cap);
  }
  // A whole read takes one byte more than the cap, to tell a file that grew past it since fstat.
  const std::size_t limit = prefix || cap == kNoSizeCap ? cap : cap + 1;
  out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(statSize, limit)));
  std::size_t done = 0;
  while (true) {
    if (done == out.size()) {
      if (done >= limit) break;
      // More than fstat said may be there (a growing file, or /proc's size 0).
      out.resize(std::min(limit, out.size() + 65536));
    }
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      Fail(path, e, "cannot read");
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!prefix && done > cap) FailTooLarge(path, 0, cap);
  out.resize(done);
}

}  // namespace

std::vector<std::uint8_t> ReadFileWhole(const std::string& path, std::size_t cap) {
  std::vector<std::uint8_t> out;
  ReadInto(path, cap, out);
  return out;
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t count) {
  std::vector<std::uint8_t> out;
  ReadInto(path, count, out, true);
  return out;
}

void ReadFileWhole(const std::string& path, std::string& out, std::size_t cap) {
  ReadInto(path, cap, out);
}

bool BackUpFile(const std::string& path, const std::string& backup) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int e = errno;
    if (e == ENOENT) return false;  // nothing there (or a dangling link): nothing to keep
    Fail(path, e, "cannot read");
  }
  WriteFileWhole(backup, ReadFileWhole(path));
  return true;
}

}  // namespace orvane::files
