// The digital channel record dialog: video, audio and PCR PID and the channel name.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEditDigitalChannel : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditDigitalChannel(QWidget* parent = nullptr);

  std::int32_t EditResult = -1;

  void Clear();
  void SetVideoPID(std::int32_t v) { video_ = v; }
  std::int32_t GetVideoPID() const { return video_; }
  void SetAudioPID(std::int32_t v) { audio_ = v; }
  std::int32_t GetAudioPID() const { return audio_; }
  void SetPCRPID(std::int32_t v) { pcr_ = v; }
  std::int32_t GetPCRPID() const { return pcr_; }
  void SetChannelName(const std::string& name) { name_ = name; }
  std::string GetChannelName() const { return name_; }

  void FormActivate();
  void btnEditSatelliteInfomationSaveClick();
  void btnEditSatelliteInfomationCancelClick();

  QLabel* Panel2;
  QLineEdit* edVideoPID;
  QLabel* Panel3;
  QLineEdit* edAudioPID;
  QLabel* Panel4;
  QLineEdit* edPCRPID;
  QLabel* Panel5;
  QLineEdit* edChannelName;
  QPushButton* btnEditSatelliteInfomationSave;
  QPushButton* btnEditSatelliteInfomationCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::int32_t video_ = 0;
  std::int32_t audio_ = 0;
  std::int32_t pcr_ = 0;
  std::string name_;
};
