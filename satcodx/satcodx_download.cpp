// The Internet download: fetch each marked listing into ./import/, then import everything there.
#include "satcodx/satcodx_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "satcodx/satcodx_internal.h"
#include "satcodx/text_io.h"

namespace orvane::satcodx {

namespace {

constexpr int kDownloadHeaderNumbers = 4;  // the download reads N1 to N4
constexpr mode_t kListingFileMode = 0666;  // as any new file: the umask decides

// A listing file name must name a file inside ./import/, never a path.
bool SafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name)
    if (c == '/' || c == '\\' || c == '\0') return false;
  return true;
}

// Writes `bytes` to `target` whole or not at all: a temporary file in the same folder, flushed, then renamed
// over the target. Returns an empty string on success, else the reason.
std::string WriteWhole(const std::filesystem::path& target, const char* bytes, std::size_t size) {
  static std::atomic<unsigned> serial{0};
  const std::filesystem::path folder = target.parent_path();
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                     std::to_string(serial++) + ".tmp");
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kListingFileMode);
    if (fd < 0 && errno != EEXIST) return text::IoErrorText(errno);
  }
  if (fd < 0) return text::IoErrorText(EEXIST);
  std::size_t done = 0;
  int err = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return text::IoErrorText(err);
  }
  return {};
}

}  // namespace

std::string ReceivedCaption(int done, int total) {
  char text[64];
  std::snprintf(text, sizeof text, "Received : %d/%d", done, total);
  return text;
}

DownloadReport DownloadAndLoad(DATABASESATELLITETABLE& db, const std::vector<bool>& marked,
                               DownloadBuffer& buffer, OpenUrlFunction openUrl, const DownloadHooks& hooks,
                               const std::filesystem::path& workDir) {
  DownloadReport report;
  std::string header;
  const std::vector<std::string> lines = ReadIndex(workDir, header);

  const auto isMarked = [&](std::size_t r) { return r < marked.size() && marked[r]; };
  for (std::size_t r = 0; r < lines.size(); ++r) report.marked += isMarked(r) ? 1 : 0;
  if (report.marked == 0) return report;

  const IndexColumns columns = ParseIndexColumns(header, kDownloadHeaderNumbers);
  if (hooks.processEvents) hooks.processEvents();

  const std::filesystem::path folder = workDir / kImportFolderName;
  int done = 0;
  for (std::size_t r = 0; r < lines.size(); ++r) {
    if (!isMarked(r)) continue;
    ++done;
    if (hooks.setCaption) hooks.setCaption(ReceivedCaption(done, report.marked));

    FetchOutcome f;
    f.row = static_cast<int>(r);
    f.url = std::string(kUrlPrefix) + IndexAddress(lines[r], columns);
    f.fileName = IndexFileName(lines[r], columns);
    buffer.size = buffer.status = buffer.stage = 0;
    f.result = openUrl != nullptr
                   ? openUrl(f.url.c_str(), &buffer.size, &buffer.status, &buffer.stage, buffer.data.data())
                   : 0;
    f.status = buffer.status;
    f.stage = buffer.stage;
    f.size = buffer.size;

    if (f.status == kHttpOk) {
      std::error_code ec;
      if (buffer.size < 0 || static_cast<std::size_t>(buffer.size) > buffer.data.size()) {
        f.error = "size outside the download buffer";
      } else if (!SafeFileName(f.fileName)) {
        f.error = "not a plain file name";
      } else if (std::filesystem::create_directories(folder, ec), ec) {
        f.error = text::IoErrorText(ec.value());
      } else {
        f.error = WriteWhole(folder / f.fileName, buffer.data.data(), static_cast<std::size_t>(buffer.size));
        f.written = f.error.empty();
      }
    }
    if (f.written) ++report.written;
    report.fetches.push_back(std::move(f));
  }

  if (hooks.setCaption) hooks.setCaption(kImportCaption);
  report.import = ImportSatcodx(db, workDir);
  return report;
}

}  // namespace orvane::satcodx
