// The analog channel record dialog: left and right audio sub-carrier frequency, band index, channel name.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmAnalogChannelInfomation : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAnalogChannelInfomation(QWidget* parent = nullptr);

  static constexpr std::int32_t kDefaultAudioFrequency = 720;

  std::int32_t EditResult = -1;

  void Clear();
  void SetLeftAudioFrequency(std::int32_t v) { left_ = v; }
  std::int32_t GetLeftAudioFrequency() const { return left_; }
  void SetRightAudioFrequency(std::int32_t v) { right_ = v; }
  std::int32_t GetRightAudioFrequency() const { return right_; }
  void SetVideoPolarity(std::int32_t v) { band_ = v; }
  std::int32_t GetVideoPolarity() const { return band_; }
  void SetChannelName(const std::string& name) { name_ = name; }
  std::string GetChannelName() const { return name_; }

  void FormActivate();
  void btnEditSatelliteInfomationSaveClick();
  void btnEditSatelliteInfomationCanacleClick();

  QLabel* Panel2;
  QLineEdit* edLeftAudioFrequency;
  QLabel* Panel3;
  QLineEdit* edRightAudioFrequency;
  QLabel* Panel4;
  QComboBox* cbAnaloglVideoPolairy;
  QLabel* Panel5;
  QLineEdit* edChannelName;
  QPushButton* btnEditSatelliteInfomationSave;
  QPushButton* btnEditSatelliteInfomationCanacle;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::int32_t left_ = kDefaultAudioFrequency;
  std::int32_t right_ = kDefaultAudioFrequency;
  std::int32_t band_ = 0;
  std::string name_;
};
