// Figures for the editor: start-up to the shown main window, and the editor's commands on a full database
// (156 satellites x 120 transponders x 32 channels), each through the window's own handler.
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "editor/EditSatelliteTransponder.h"
#include "editor/database_files.h"
#include "editor/list_box.h"
#include "shell/EditSatTp.h"
#include "shell/window_set.h"
#include "ui/app_context.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

void FillFullDatabase(DATABASESATELLITETABLE& db) {
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (int s = 0; s < kSatelliteSlots; ++s) {
    auto& sat = db.satellites[s];
    sat.name = "Satellite " + std::to_string(next() % 100000);
    sat.eastPosition = 1 + next() % 3600;
    for (int t = 0; t < kTransponderSlots; ++t) {
      auto& tp = sat.transponders[t];
      tp = {static_cast<std::int32_t>(10700 + next() % 2000),
            27500,
            static_cast<std::int32_t>(next() % 2),
            3,
            {}};
      for (int c = 0; c < kChannelSlots; ++c)
        tp.channels[c] = {100 + c, 200 + c, 100 + c, "Channel " + std::to_string(c)};
    }
  }
}

// Runs `command` `runs` times (after `prepare` each time, not timed) and prints the median.
void Report(const char* name, int runs, const std::function<void()>& prepare,
            const std::function<void()>& command) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = Clock::now();
    command();
    times.push_back(Ms(start));
  }
  const double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf("%-40s median %7.2f ms  max %7.2f ms  first %7.2f ms  (%d runs)\n", name,
              times[times.size() / 2], times.back(), first, runs);
}

}  // namespace

int main(int argc, char** argv) {
  const auto processStart = Clock::now();
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string tmpl = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
  const fs::path dir = ::mkdtemp(tmpl.data());
  fs::current_path(dir);
  ::setenv("ORVANE_WINDIR", (dir / "windows").c_str(), 1);

  // Start-up as main() does it: toolkit, the twelve windows, the main window shown.
  QApplication app(argc, argv);
  orvane::ui::AppContext context;
  orvane::ui::RecordingPrompts prompts;  // no dialog may block a benchmark
  orvane::ui::ScopedPrompts scoped(context, prompts);
  orvane::shell::DeclareWindows(context);
  auto& windows = context.windows();
  windows.CreateAll();
  auto* main = &windows.Get<TfrmIRDTool>();
  main->show();
  QApplication::processEvents();
  std::printf("%-44s %8.2f ms\n", "start-up to the main window shown", Ms(processStart));

  auto* editor = &windows.Get<TfrmEditSatTP>();
  auto& program = context.program();
  auto& db = program.database;
  FillFullDatabase(db);
  editor->RefillSatelliteList();
  const auto full = std::make_unique<DATABASESATELLITETABLE>(db);
  const int namedSlots = kSatelliteSlots;
  if (!orvane::editor::SaveDatabaseFile("full.tpd", db, namedSlots, program.satelliteImage,
                                        program.satelliteNameTable, program.channelTable)
           .ok()) {
    std::fprintf(stderr, "could not write full.tpd\n");
    return 1;
  }
  auto restore = [&] {
    db = *full;
    editor->RefillSatelliteList();
  };
  const int runs = 15;

  Report(
      "Open (full database file)", runs, [&] { prompts.files.push_back(QStringLiteral("full.tpd")); },
      [&] { editor->Open1Click(); });
  Report(
      "Save (two files)", runs,
      [&] {
        restore();
        prompts.files.push_back(QStringLiteral("saved.tpd"));
      },
      [&] { editor->Saveas1Click(); });
  Report("Sort by name (156 satellites)", runs, restore, [&] { editor->Sortbyname1Click(); });
  Report("Sort by degree (156 satellites)", runs, restore, [&] { editor->Sortbydegree2Click(); });
  Report("Sort by frequency (120 transponders)", runs, restore, [&] { editor->Sortbyfrequency1Click(); });
  Report("Sory by KU->C (120 transponders)", runs, restore, [&] { editor->SorybyKUC1Click(); });
  Report(
      "drop of 100 selected satellite rows", runs,
      [&] {
        restore();
        auto* list = editor->lbSatelliteNameList;
        for (int r = 0; r < 100; ++r) list->item(r * 3 / 2)->setSelected(true);
      },
      [&] { editor->lbSatelliteNameListDragDrop(20); });
  Report(
      "drop of 100 selected transponder rows", runs,
      [&] {
        restore();
        auto* list = editor->lbTransponderList;
        for (int r = 0; r < 100; ++r) list->item(r)->setSelected(true);
      },
      [&] { editor->lbTransponderListDragDrop(110); });
  Report(
      "delete 100 selected satellite rows", runs,
      [&] {
        restore();
        for (int r = 0; r < 100; ++r) editor->lbSatelliteNameList->item(r)->setSelected(true);
      },
      [&] { editor->Delete1Click(); });

  // Each Save of the full model warns (once per Save) that the file cannot hold all of it.
  if (!prompts.Messages().isEmpty())
    std::printf("messages shown: %lld, the first: %s\n", static_cast<long long>(prompts.Messages().size()),
                prompts.Messages().front().toLocal8Bit().data());
  windows.Clear();
  fs::current_path("/");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
