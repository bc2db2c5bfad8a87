// The transponder record dialog: frequency, symbol rate, polarity index, FEC index.
#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEditTransponderInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditTransponderInfo(QWidget* parent = nullptr);

  std::int32_t EditResult = -1;

  void Clear();
  void SetFrequency(std::int32_t v) { frequency_ = v; }
  std::int32_t GetFrequency() const { return frequency_; }
  void SetSymbolRate(std::int32_t v) { symbolRate_ = v; }
  std::int32_t GetSymbolRate() const { return symbolRate_; }
  void SetPolarity(std::int32_t v) { polarity_ = v; }
  std::int32_t GetPolarity() const { return polarity_; }
  void SetFEC(std::int32_t v) { fec_ = v; }
  std::int32_t GetFEC() const { return fec_; }

  void FormActivate();
  void btnTransponderInfomationSaveClick();
  void btnTransponderInfomationCancelClick();

  QLabel* Panel2;
  QLineEdit* edFrequency;
  QLabel* Panel3;
  QLineEdit* edSymbolRate;
  QLabel* Panel4;
  QComboBox* cbPolarity;
  QLabel* Panel5;
  QComboBox* cbFEC;
  QPushButton* btnTransponderInfomationSave;
  QPushButton* btnTransponderInfomationCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::int32_t frequency_ = 0;
  std::int32_t symbolRate_ = 0;
  std::int32_t polarity_ = 0;
  std::int32_t fec_ = 0;
};
