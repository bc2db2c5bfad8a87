// The Internet download: fetch each marked listing into ./import/, then import everything there.
#include "satcodx/satcodx_download.h"

#include <cstdio>
#include <system_error>

#include "common/file_io.h"
#include "satcodx/satcodx_internal.h"
#include "satcodx/text_io.h"

namespace orvane::satcodx {

namespace {

constexpr int kDownloadHeaderNumbers = 4;  // the download reads N1 to N4

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
      } else if (!PlainFileName(f.fileName)) {
        f.error = "not a plain file name";
      } else if (std::filesystem::create_directories(folder, ec), ec) {
        f.error = text::IoErrorText(ec.value());
      } else {
        try {
          files::WriteFileWhole((folder / f.fileName).string(),
                                std::string_view(buffer.data.data(), static_cast<std::size_t>(buffer.size)));
          f.written = true;
        } catch (const files::FileError& e) {
          f.error = e.error() != 0 ? text::IoErrorText(e.error()) : e.reason();
        }
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
