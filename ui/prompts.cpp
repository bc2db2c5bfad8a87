#include "ui/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace orvane::ui {

QString ToQtFilter(const QString& programFilter) {
  const QStringList parts = programFilter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  if (out.isEmpty() && !programFilter.isEmpty()) out << programFilter;
  return out.join(QStringLiteral(";;"));
}

void QtPrompts::Message(const QString& text, MessageKind kind, const QString& caption) {
  QWidget* parent = QApplication::activeWindow();
  const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
  switch (kind) {
    case MessageKind::Error:
      QMessageBox::critical(parent, title.isEmpty() ? QStringLiteral("Error") : title, text);
      break;
    case MessageKind::Warning:
      QMessageBox::warning(parent, title, text);
      break;
    case MessageKind::Information:
      QMessageBox::information(parent, title, text);
      break;
  }
}

bool QtPrompts::AskYesNo(const QString& text, const QString& caption) {
  const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
  return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

namespace {
std::optional<QString> RunDialog(const FileDialogRequest& r, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(QApplication::activeWindow(), r.title, r.initialDir.isEmpty() ? QStringLiteral(".") : r.initialDir);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QStringList filters = ToQtFilter(r.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
  dialog.setNameFilters(filters);
  if (r.filterIndex >= 1 && r.filterIndex <= filters.size()) dialog.selectNameFilter(filters[r.filterIndex - 1]);
  if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}
}  // namespace

std::optional<QString> QtPrompts::ChooseOpenFile(const FileDialogRequest& request) {
  return RunDialog(request, QFileDialog::AcceptOpen);
}
std::optional<QString> QtPrompts::ChooseSaveFile(const FileDialogRequest& request) {
  return RunDialog(request, QFileDialog::AcceptSave);
}

void RecordingPrompts::Message(const QString& text, MessageKind kind, const QString& caption) {
  log.push_back({Entry::Type::Message, text, kind, caption, {}});
}

bool RecordingPrompts::AskYesNo(const QString& text, const QString& caption) {
  log.push_back({Entry::Type::Question, text, MessageKind::Information, caption, {}});
  if (answers.empty()) return false;
  const bool a = answers.front();
  answers.pop_front();
  return a;
}

// The next scripted answer of a file dialog, or a cancel when none is left.
std::optional<QString> RecordingPrompts::NextFile() {
  if (files.empty()) return std::nullopt;
  std::optional<QString> f = std::move(files.front());
  files.pop_front();
  return f;
}

std::optional<QString> RecordingPrompts::ChooseOpenFile(const FileDialogRequest& request) {
  log.push_back({Entry::Type::OpenDialog, request.fileName, MessageKind::Information, request.title, request});
  return NextFile();
}

std::optional<QString> RecordingPrompts::ChooseSaveFile(const FileDialogRequest& request) {
  log.push_back({Entry::Type::SaveDialog, request.fileName, MessageKind::Information, request.title, request});
  return NextFile();
}

QStringList RecordingPrompts::Messages() const {
  QStringList out;
  for (const auto& e : log)
    if (e.type == Entry::Type::Message) out << e.text;
  return out;
}

}  // namespace orvane::ui
