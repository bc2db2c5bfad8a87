#include "editor/editor_tools.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>
#include <string>

#include "common/file_io.h"
#include "editor/database_report.h"
#include "ui/app_context.h"

namespace orvane::editor {

namespace {

std::string LocalPath(const QString& path) { return path.toLocal8Bit().toStdString(); }

}  // namespace

// ---- Find
// ------------------------------------------------------------------------------------------------------

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
  setObjectName("findBar");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel("Find:", this);
  field = new QLineEdit(this);
  field->setObjectName("findField");
  field->setPlaceholderText("name, position (19.2E), frequency (11881 V), symbol rate or PID");
  field->setClearButtonEnabled(true);
  field->setMinimumWidth(220);
  label->setBuddy(field);
  findNextButton = new QPushButton("Find next", this);
  findNextButton->setAutoDefault(false);
  findNextButton->setToolTip("F3");
  result = new QLabel(this);
  result->setObjectName("findResult");
  result->setMinimumWidth(120);
  closeButton = new QToolButton(this);
  closeButton->setText(QString::fromUtf8("\u2715"));
  closeButton->setToolTip("Close (Escape)");
  row->addWidget(label);
  row->addWidget(field, 1);
  row->addWidget(findNextButton);
  row->addWidget(result);
  row->addWidget(closeButton);

  connect(field, &QLineEdit::textChanged, this, [this] {
    Invalidate();
    last_ = {};
    result->clear();
  });
  connect(field, &QLineEdit::returnPressed, this, &FindBar::FindNext);
  connect(findNextButton, &QPushButton::clicked, this, &FindBar::FindNext);
  connect(closeButton, &QToolButton::clicked, this, &QWidget::hide);
}

void FindBar::SetDatabase(const DATABASESATELLITETABLE* db) {
  db_ = db;
  Invalidate();
}

void FindBar::Invalidate() {
  searched_ = false;
  matches_.clear();
}

void FindBar::Activate() {
  show();
  field->setFocus(Qt::ShortcutFocusReason);
  field->selectAll();
}

void FindBar::FindNext() {
  const QByteArray query = field->text().toLatin1();  // the names' own bytes
  if (query.trimmed().isEmpty()) {
    Activate();
    return;
  }
  show();
  if (!searched_) {
    matches_ = db_ ? FindInDatabase(*db_, std::string_view(query.constData(), static_cast<std::size_t>(query.size())))
                   : std::vector<FindMatch>{};
    searched_ = true;
  }
  const int next = NextMatch(matches_, last_);
  if (next < 0) {
    result->setText(QString("\"%1\" not found").arg(field->text()));
    return;
  }
  last_ = matches_[static_cast<std::size_t>(next)];
  result->setText(QString("%1 of %2").arg(next + 1).arg(matches_.size()));
  emit MatchChosen(last_);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:  // closes the bar, never the window it sits in
      hide();
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:  // the field has searched already; no default button of the window is pressed
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

// ---- Export
// ----------------------------------------------------------------------------------------------------

bool ExportCsvDialog(ui::AppContext& app, const DATABASESATELLITETABLE& db) {
  const QString caption = "Export CSV";
  ui::FileDialogRequest request{caption, "CSV files (*.csv)|*.csv", 1, ".", "channels.csv"};
  std::optional<QString> chosen = app.prompts().ChooseSaveFile(request);
  if (!chosen || chosen->isEmpty()) return false;
  QString path = *chosen;
  if (QFileInfo(path).suffix().isEmpty()) path += ".csv";
  try {
    files::WriteFileWhole(LocalPath(path), DatabaseCsv(db));
  } catch (const files::FileError& e) {
    app.prompts().Message("Cannot write " + path, ui::MessageKind::Error, caption,
                          QString::fromLocal8Bit(e.reason().c_str()));
    return false;
  }
  return true;
}

// ---- Compare
// ---------------------------------------------------------------------------------------------------

void CompareWithDialog(ui::AppContext& app, const DATABASESATELLITETABLE& db, QWidget* parent) {
  const QString caption = "Compare with";
  ui::FileDialogRequest request{caption, "*.tpd|*.tpd", 1, ".", ""};
  const std::optional<QString> chosen = app.prompts().ChooseOpenFile(request);
  if (!chosen || chosen->isEmpty()) return;
  const std::string path = LocalPath(*chosen);

  const auto other = std::make_unique<DATABASESATELLITETABLE>();  // about 29 MB
  const std::string error = ReadDatabaseFile(path, *other);
  if (!error.empty()) {
    app.prompts().Message("Cannot compare with " + *chosen, ui::MessageKind::Error, caption,
                          QString::fromLocal8Bit(error.c_str()));
    return;
  }
  const DatabaseDiff diff = CompareDatabases(db, *other);
  const std::string report = DiffReport(db, *other, diff, "the editor", path);

  QDialog dialog(parent);
  dialog.setObjectName(kCompareReportName);
  dialog.setWindowTitle("Compare with " + QFileInfo(*chosen).fileName());
  auto* column = new QVBoxLayout(&dialog);
  auto* summary = new QLabel(QString::fromStdString(DiffSummary(diff)).trimmed(), &dialog);
  summary->setObjectName("compareSummary");
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* text = new QPlainTextEdit(&dialog);
  text->setObjectName("compareText");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text->setPlainText(QString::fromStdString(report));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  column->addWidget(summary);
  column->addWidget(text, 1);
  column->addWidget(buttons);
  dialog.resize(780, 520);
  app.ShowModal(dialog);
}

}  // namespace orvane::editor
