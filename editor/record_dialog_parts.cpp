#include "editor/record_dialog_parts.h"

#include <QStyle>

namespace orvane::editor::dialog_parts {

namespace {
int RowTop(int row) {
  return kMargin + row * kRowStep;
}
int ButtonTop(int rows) {
  return RowTop(rows) + 8;
}
}  // namespace

QLabel* Panel(QDialog* dialog, const char* name, const QString& caption, int row) {
  auto* panel = new QLabel(caption, dialog);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setAlignment(Qt::AlignCenter);
  panel->setGeometry(kMargin, RowTop(row), kPanelWidth, kRowHeight);
  return panel;
}

QLineEdit* Edit(QDialog* dialog, const char* name, int row, const QString& initialText) {
  auto* edit = new QLineEdit(initialText, dialog);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(kMargin + kPanelWidth + 8, RowTop(row), kInputWidth, kRowHeight);
  return edit;
}

QComboBox* Combo(QDialog* dialog, const char* name, int row, const QStringList& items) {
  auto* box = new QComboBox(dialog);
  box->setObjectName(QString::fromLatin1(name));
  box->addItems(items);
  box->setGeometry(kMargin + kPanelWidth + 8, RowTop(row), kInputWidth, kRowHeight);
  return box;
}

namespace {
QPushButton* Button(QDialog* dialog, const char* name, const QString& caption, QStyle::StandardPixmap icon,
                    int left, int rows) {
  auto* button = new QPushButton(dialog->style()->standardIcon(icon), caption, dialog);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setGeometry(left, ButtonTop(rows), kButtonWidth, kButtonHeight);
  dialog->setFixedSize(kWidth, ButtonTop(rows) + kButtonHeight + kMargin);
  return button;
}
}  // namespace

QPushButton* SaveButton(QDialog* dialog, const char* name, int rows) {
  // The default button: Enter in any input saves the record.
  auto* save = Button(dialog, name, QStringLiteral("Save"), QStyle::SP_DialogSaveButton,
                      kWidth / 2 - kButtonWidth - 6, rows);
  save->setDefault(true);
  return save;
}

QPushButton* CancelButton(QDialog* dialog, const char* name, int rows) {
  return Button(dialog, name, QStringLiteral("Cancel"), QStyle::SP_DialogCancelButton, kWidth / 2 + 6, rows);
}

void SelectIndex(QComboBox* box, int i) {
  box->setCurrentIndex(i >= 0 && i < box->count() ? i : -1);
}

}  // namespace orvane::editor::dialog_parts
