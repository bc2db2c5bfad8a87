// "Key Setting Tool": edits the receiver's eight-service key table, computes virtual PIDs from real ones and
// back to check a key set, and stores the table inside a database image file.
//
// Created once; the grid and the table in memory last between showings.
#pragma once

#include <QDialog>

#include "keysetting/key_table.h"
#include "ui/prompts.h"

class QComboBox;
class QPushButton;
class QTableWidget;
namespace orvane::ui {
class AppContext;
}

namespace orvane::keysetting {

class TfrmKeySetting : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmKeySetting(ui::AppContext& app, QWidget* parent = nullptr);

  // Components.
  QTableWidget* sgKeysetting;
  QComboBox* cbAlgorithm;
  QPushButton* Button1;  // compute virtual PIDs
  QPushButton* Button6;  // compute real PIDs
  QPushButton* Button5;  // clear
  QPushButton* Button2;  // save key values
  QPushButton* Button4;  // load key values
  QPushButton* Button3;  // quit
  ui::FileDialogRequest SaveDialog1;
  ui::FileDialogRequest OpenDialog1;

  // The key table in memory.
  const KeyTable& Table() const { return table_; }

  void FormActivate();
  void sgKeysettingSelectCell(int ACol, int ARow);
  void cbAlgorithmChange();
  void Button1Click();
  void Button6Click();
  void Button5Click();
  void Button2Click();
  void Button4Click();
  void Button3Click();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  KeyGrid ReadGrid() const;
  void WriteGrid(const KeyGrid& grid);
  void Compute(Direction direction);

  ui::AppContext& app_;
  KeyTable table_;
  int selectedCol_ = 0;
  int selectedRow_ = 0;
};

}  // namespace orvane::keysetting
