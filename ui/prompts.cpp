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

void QtPrompts::Message(const QString& text, MessageKind kind, const QString& caption, const QString& detail) {
  QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (kind) {
    case MessageKind::Error:
      icon = QMessageBox::Critical;
      if (title.isEmpty()) title = QStringLiteral("Error");
      break;
    case MessageKind::Warning:
      icon = QMessageBox::Warning;
      break;
    case MessageKind::Information:
      break;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
  if (!detail.isEmpty()) box.setInformativeText(detail);
  box.exec();
}

bool QtPrompts::AskYesNo(const QString& text, const QString& caption) {
  const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
  return QMessageBox::question(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

SaveChoice QtPrompts::AskSaveDiscardCancel(const QString& text, const QString& caption) {
  const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveChoice::Save;
    case QMessageBox::Discard:
      return SaveChoice::Discard;
    default:
      return SaveChoice::Cancel;
  }
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

void RecordingPrompts::Message(const QString& text, MessageKind kind, const QString& caption,
                               const QString& detail) {
  log.push_back({Entry::Type::Message, text, kind, caption, {}, detail});
}

SaveChoice RecordingPrompts::AskSaveDiscardCancel(const QString& text, const QString& caption) {
  log.push_back({Entry::Type::SaveQuestion, text, MessageKind::Warning, caption, {}, {}});
  if (saveChoices.empty()) return SaveChoice::Cancel;
  const SaveChoice c = saveChoices.front();
  saveChoices.pop_front();
  return c;
}

bool RecordingPrompts::AskYesNo(const QString& text, const QString& caption) {
  log.push_back({Entry::Type::Question, text, MessageKind::Information, caption, {}, {}});
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
  log.push_back({Entry::Type::OpenDialog, request.fileName, MessageKind::Information, request.title, request, {}});
  return NextFile();
}

std::optional<QString> RecordingPrompts::ChooseSaveFile(const FileDialogRequest& request) {
  log.push_back({Entry::Type::SaveDialog, request.fileName, MessageKind::Information, request.title, request, {}});
  return NextFile();
}

QStringList RecordingPrompts::Messages() const {
  QStringList out;
  for (const auto& e : log)
    if (e.type == Entry::Type::Message) out << e.text;
  return out;
}

}  // namespace orvane::ui
