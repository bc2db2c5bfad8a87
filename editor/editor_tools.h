// The editor's tools beside the three lists: the find bar (one field that finds satellites, transponders and
// channels across the whole database), the CSV export and the comparison with a database file. The searching,
// the CSV and the comparison themselves live in database_find and database_report.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "channeldb/records.h"
#include "editor/database_find.h"

class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
namespace orvane::ui {
class AppContext;
}

namespace orvane::editor {

// A line under the lists: the query field, "Find next", the close button and what the last search found.
// Enter and F3 find the next match after the last one shown, wrapping round; Escape closes the bar.
class FindBar : public QWidget {
  Q_OBJECT

 public:
  explicit FindBar(QWidget* parent = nullptr);

  // The database searched (the program's model; nullptr: nothing is found).
  void SetDatabase(const DATABASESATELLITETABLE* db);
  // The model changed: the next search looks again.
  void Invalidate();
  // Shows the bar and puts the cursor in the field, its text selected.
  void Activate();
  // Shows the next match (or opens the bar when there is no query yet).
  void FindNext();

  QLineEdit* field;
  QPushButton* findNextButton;
  QToolButton* closeButton;
  QLabel* result;

 signals:
  void MatchChosen(orvane::editor::FindMatch match);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const DATABASESATELLITETABLE* db_ = nullptr;
  std::vector<FindMatch> matches_;
  bool searched_ = false;
  FindMatch last_;  // the match shown last; before the first one, where the list starts
};

// File / "Export CSV...": asks for a file name and writes the lists as CSV. False when the user cancelled or
// the file could not be written (the user was told why).
bool ExportCsvDialog(ui::AppContext& app, const DATABASESATELLITETABLE& db);

// File / "Compare with...": asks for a database file and shows what it adds to, removes from and changes in the
// model, with the counts, in a read-only window.
void CompareWithDialog(ui::AppContext& app, const DATABASESATELLITETABLE& db, QWidget* parent);

// The window CompareWithDialog shows (for tests: its object name is "compareReport").
inline constexpr const char* kCompareReportName = "compareReport";

}  // namespace orvane::editor
