// Figures for the editor: start-up to the shown main window, and the editor's commands on a full database
// (156 satellites x 120 transponders x 32 channels), each through the window's own handler; every command
// that changes the model also with the undo and redo of its step, and what the undo history keeps.
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>
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
            t % 4 == 3 ? 0 : 27500,  // some analog ones, so that Sort by AD and by DA move rows
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A command that makes one undoable step: the time of the command itself (its undo bookkeeping included),
// of the undo and of the redo, medians and maxima over `runs`, and the bytes the step keeps.
void ReportStep(const char* name, int runs, const std::function<void()>& prepare,
                const std::function<void()>& command, QUndoStack& stack,
                const std::function<std::size_t()>& held) {
  std::vector<double> doing, undoing, redoing;
  std::size_t bytes = 0;
  for (int i = 0; i < runs; ++i) {
    prepare();
    stack.clear();
    auto start = Clock::now();
    command();
    doing.push_back(Ms(start));
    if (stack.count() != 1) {
      std::printf("%-40s made %d steps instead of one\n", name, stack.count());
      return;
    }
    bytes = held();
    start = Clock::now();
    stack.undo();
    undoing.push_back(Ms(start));
    start = Clock::now();
    stack.redo();
    redoing.push_back(Ms(start));
  }
  auto max = [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); };
  std::printf("%-40s do %7.2f (max %7.2f)  undo %7.2f (max %7.2f)  redo %7.2f (max %7.2f) ms  keeps %9zu B\n",
              name, Median(doing), max(doing), Median(undoing), max(undoing), Median(redoing), max(redoing),
              bytes);
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
        for (int r = 0; r < 100; ++r) list->SetRowSelected(r * 3 / 2, true);
      },
      [&] { editor->lbSatelliteNameListDragDrop(20); });
  Report(
      "drop of 100 selected transponder rows", runs,
      [&] {
        restore();
        auto* list = editor->lbTransponderList;
        for (int r = 0; r < 100; ++r) list->SetRowSelected(r, true);
      },
      [&] { editor->lbTransponderListDragDrop(110); });
  Report(
      "delete 100 selected satellite rows", runs,
      [&] {
        restore();
        for (int r = 0; r < 100; ++r) editor->lbSatelliteNameList->SetRowSelected(r, true);
      },
      [&] { editor->Delete1Click(); });

  // ---- Undoable steps
  std::printf("\nEach step with its undo and redo (medians of %d runs, full database):\n", runs);
  auto& stack = *editor->undoStack;
  auto held = [&] { return editor->UndoHistoryBytes(); };
  // Record dialogs: the driver types into the first input and presses Save, as a user would.
  auto saveDialogs = [&](const QString& firstInput) {
    return std::make_unique<orvane::ui::ScopedModalDriver>(context, [firstInput](QDialog& d) {
      d.show();
      if (auto edits = d.findChildren<QLineEdit*>(); !edits.isEmpty()) edits.front()->setText(firstInput);
      for (auto* b : d.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Save")) b->click();
    });
  };
  auto selectRows = [](OrvaneListBox* list, int from, int count) {
    list->clearSelection();
    for (int r = from; r < from + count && r < list->RowCount(); ++r) list->SetRowSelected(r, true);
  };
  {
    auto driver = saveDialogs(QStringLiteral("Renamed satellite"));
    ReportStep(
        "Edit satellite", runs, [&] { restore(), editor->lbSatelliteNameList->SetCurrentRow(7); },
        [&] { editor->Edit1Click(); }, stack, held);
    ReportStep(
        "Add satellite (155 there)", runs,
        [&] {
          db = *full;
          db.satellites[155] = DATABASESATELLITEINFO{};
          editor->RefillSatelliteList();
        },
        [&] { editor->Add3Click(); }, stack, held);
  }
  ReportStep(
      "Delete 100 satellites", runs, [&] { restore(), selectRows(editor->lbSatelliteNameList, 10, 100); },
      [&] { editor->Delete1Click(); }, stack, held);
  ReportStep(
      "Move (drop) 100 satellites", runs, [&] { restore(), selectRows(editor->lbSatelliteNameList, 0, 100); },
      [&] { editor->lbSatelliteNameListDragDrop(120); }, stack, held);
  ReportStep(
      "Sort by name", runs, restore, [&] { editor->Sortbyname1Click(); }, stack, held);
  ReportStep(
      "Sort by degree", runs, restore, [&] { editor->Sortbydegree2Click(); }, stack, held);
  {
    auto driver = saveDialogs(QStringLiteral("12345"));
    ReportStep(
        "Edit transponder", runs, restore, [&] { editor->pmEditTransponderClick(); }, stack, held);
    ReportStep(
        "Add transponder (119 there)", runs,
        [&] {
          db = *full;
          db.satellites[0].transponders[119] = DATABASETRANSPONDERINFO{};
          editor->RefillSatelliteList();
        },
        [&] { editor->Add2Click(); }, stack, held);
  }
  ReportStep(
      "Delete 100 transponders", runs, [&] { restore(), selectRows(editor->lbTransponderList, 0, 100); },
      [&] { editor->DeleteTpClick(); }, stack, held);
  ReportStep(
      "Move (drop) 100 transponders", runs, [&] { restore(), selectRows(editor->lbTransponderList, 0, 100); },
      [&] { editor->lbTransponderListDragDrop(110); }, stack, held);
  ReportStep(
      "Sort by frequency", runs, restore, [&] { editor->Sortbyfrequency1Click(); }, stack, held);
  ReportStep(
      "Sory by KU->C", runs, restore, [&] { editor->SorybyKUC1Click(); }, stack, held);
  ReportStep(
      "Sort by AD", runs, restore, [&] { editor->SortbyAD1Click(); }, stack, held);
  ReportStep(
      "Sort by DA", runs, restore, [&] { editor->SortbyDA1Click(); }, stack, held);
  ReportStep(
      "Paste TPs (60 into 60)", runs,
      [&] {
        restore();
        editor->CopyAllTPs1Click();
        db.satellites[0].transponders[60].frequency = 0;  // the list ends after 60 rows
        editor->RefillSatelliteList();
      },
      [&] { editor->PasteTPs1Click(); }, stack, held);
  {
    auto driver = saveDialogs(QStringLiteral("999"));
    ReportStep(
        "Edit channel", runs, [&] { restore(), editor->lbManualAnalogChannelList->SetCurrentRow(5); },
        [&] { editor->Edit2Click(); }, stack, held);
    ReportStep(
        "Add channel (31 there)", runs,
        [&] {
          db = *full;
          db.satellites[0].transponders[0].channels[31] = DATABASECHANNELINFO{};
          editor->RefillSatelliteList();
        },
        [&] { editor->Add1Click(); }, stack, held);
  }
  ReportStep(
      "Delete 20 channels", runs, [&] { restore(), selectRows(editor->lbManualAnalogChannelList, 0, 20); },
      [&] { editor->Delete2Click(); }, stack, held);
  ReportStep(
      "Move (drop) 20 channels", runs,
      [&] { restore(), selectRows(editor->lbManualAnalogChannelList, 0, 20); },
      [&] { editor->lbManualAnalogChannelListDragDrop(25); }, stack, held);
  ReportStep(
      "Open over the full model", runs,
      [&] { restore(), prompts.files.push_back(QStringLiteral("full.tpd")); }, [&] { editor->Open1Click(); },
      stack, held);
  ReportStep(
      "Load downloaded data over the full model", runs, restore, [&] { editor->Button1Click(); }, stack,
      held);
  std::printf(
      "  (Load downloaded data finds no index here: it empties the model, the step keeps the full one)\n");

  // ---- What 100 steps keep
  std::printf("\nUndo history of 100 steps on the full database (the history keeps %d):\n",
              stack.undoLimit());
  auto history = [&](const char* name, const std::function<void(int)>& step) {
    restore();
    stack.clear();
    stack.setClean();
    const auto start = Clock::now();
    for (int i = 0; i < 100; ++i) step(i);
    const double ms = Ms(start);
    std::printf("%-52s %3d steps  %8.2f MiB  (%.0f ms for all)\n", name, stack.count(),
                static_cast<double>(editor->UndoHistoryBytes()) / (1024.0 * 1024.0), ms);
  };
  auto onSatellite = [&](int i) {
    editor->lbSatelliteNameList->SetCurrentRow(i % kSatelliteSlots);
    editor->lbSatelliteNameListMouseDown(Qt::LeftButton, {});
  };
  history("100 x Delete 100 transponders (each satellite)", [&](int i) {
    onSatellite(i);
    selectRows(editor->lbTransponderList, 0, 100);
    editor->DeleteTpClick();
  });
  history("100 x Sort by frequency (each satellite)", [&](int i) {
    onSatellite(i);
    editor->Sortbyfrequency1Click();
  });
  history("100 x Delete one satellite", [&](int) {
    selectRows(editor->lbSatelliteNameList, 0, 1);
    editor->Delete1Click();
  });
  {
    int typed = 0;  // every edit stores a new value, so that each one is a step
    orvane::ui::ScopedModalDriver driver(context, [&typed](QDialog& d) {
      d.show();
      d.findChildren<QLineEdit*>().front()->setText(QString::number(1000 + typed++));
      for (auto* b : d.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Save")) b->click();
    });
    history("100 x Edit channel", [&](int i) {
      editor->lbManualAnalogChannelList->SetCurrentRow(i % kChannelSlots);
      editor->Edit2Click();
    });
  }
  history("100 mixed (sorts, drops, deletes, edits of each kind)", [&](int i) {
    onSatellite(i);
    switch (i % 5) {
      case 0:
        editor->SorybyKUC1Click();
        break;
      case 1:
        selectRows(editor->lbTransponderList, 0, 10);
        editor->lbTransponderListDragDrop(50);
        break;
      case 2:
        editor->Sortbydegree2Click();
        editor->Sortbyname1Click();
        break;
      case 3:
        selectRows(editor->lbManualAnalogChannelList, 0, 3);
        editor->Delete2Click();
        break;
      default:
        selectRows(editor->lbSatelliteNameList, 150, 1);
        editor->Delete1Click();
        break;
    }
  });
  history("100 x Open of the full file (each keeps the model before)", [&](int) {
    prompts.files.push_back(QStringLiteral("full.tpd"));
    editor->Open1Click();
  });
  stack.clear();
  stack.setClean();

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
