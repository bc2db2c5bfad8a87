// The satellite record dialog: name, DiSEqC 1.2 code, east position in tenths of a degree.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEditSatelliteInfomation : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditSatelliteInfomation(QWidget* parent = nullptr);

  std::int32_t EditResult = -1;  // 0 after Save, -1 otherwise

  void Clear();
  void SetSatelliteName(const std::string& name) { name_ = name; }
  std::string GetSatelliteName() const { return name_; }
  void SetDiseqcCode(std::int32_t code) { diseqc_ = code; }
  std::int32_t GetDiseqcCode() const { return diseqc_; }
  void SetEastDegree(std::uint32_t tenths) { eastDegree_ = tenths; }
  std::uint32_t GetEastDegree() const { return eastDegree_; }

  void FormActivate();
  void btnEditSatelliteInfomationSaveClick();
  void btnEditSatelliteInfomationCancelClick();

  QLabel* btnEditSatelliteName;
  QLineEdit* edName;
  QLabel* Panel3;
  QLineEdit* edDiseqc1_2Code;
  QLabel* Panel4;
  QLineEdit* edEastDegree;
  QPushButton* btnEditSatelliteInfomationSave;
  QPushButton* btnEditSatelliteInfomationCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string name_;
  std::int32_t diseqc_ = 0;
  std::uint32_t eastDegree_ = 0;
};
