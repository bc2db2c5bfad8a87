// Building blocks shared by the four record dialogs: a caption panel beside each input, a Save and a Cancel
// button at the bottom, all at fixed places so the dialogs keep their designed look.
#pragma once

#include "common/latin1.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <string>

namespace orvane::editor::dialog_parts {

inline constexpr int kMargin = 12;
inline constexpr int kRowHeight = 26;
inline constexpr int kRowStep = 34;
inline constexpr int kPanelWidth = 190;
inline constexpr int kInputWidth = 170;
inline constexpr int kButtonWidth = 90;
inline constexpr int kButtonHeight = 30;
inline constexpr int kWidth = kMargin + kPanelWidth + 8 + kInputWidth + kMargin;

// Row `row` (from 0): a panel with `caption` on the left.
QLabel* Panel(QDialog* dialog, const char* name, const QString& caption, int row);
QLineEdit* Edit(QDialog* dialog, const char* name, int row, const QString& initialText = {});
QComboBox* Combo(QDialog* dialog, const char* name, int row, const QStringList& items);
// The Save and Cancel buttons under `rows` rows; fixes the dialog's size. Save is the default button.
QPushButton* SaveButton(QDialog* dialog, const char* name, int rows);
QPushButton* CancelButton(QDialog* dialog, const char* name, int rows);

using text::FromLatin1;
using text::ToLatin1;
inline QString FromBytes(const std::string& s) { return FromLatin1(s); }
inline std::string ToBytes(const QString& s) { return ToLatin1(s); }
// A drop-down box shows index `i`, or no row when the index is not in its list.
void SelectIndex(QComboBox* box, int i);

}  // namespace orvane::editor::dialog_parts
