#include "editor/EditDigitalChannel.h"

#include <QShowEvent>

#include "editor/editor_core.h"
#include "editor/record_dialog_parts.h"

using namespace orvane::editor;
using namespace orvane::editor::dialog_parts;

TfrmEditDigitalChannel::TfrmEditDigitalChannel(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmEditDigitalChannel"));
  setWindowTitle(QStringLiteral("Digital Channel Infomation"));
  Panel2 = Panel(this, "Panel2", QStringLiteral("Video PID"), 0);
  edVideoPID = Edit(this, "edVideoPID", 0, QStringLiteral("0"));
  Panel3 = Panel(this, "Panel3", QStringLiteral("Audio PID"), 1);
  edAudioPID = Edit(this, "edAudioPID", 1, QStringLiteral("0"));
  Panel4 = Panel(this, "Panel4", QStringLiteral("PCR PID"), 2);
  edPCRPID = Edit(this, "edPCRPID", 2, QStringLiteral("0"));
  Panel5 = Panel(this, "Panel5", QStringLiteral("Channel Name"), 3);
  edChannelName = Edit(this, "edChannelName", 3);
  btnEditSatelliteInfomationSave = SaveButton(this, "btnEditSatelliteInfomationSave", 4);
  btnEditSatelliteInfomationCancel = CancelButton(this, "btnEditSatelliteInfomationCancel", 4);
  connect(btnEditSatelliteInfomationSave, &QPushButton::clicked, this,
          &TfrmEditDigitalChannel::btnEditSatelliteInfomationSaveClick);
  connect(btnEditSatelliteInfomationCancel, &QPushButton::clicked, this,
          &TfrmEditDigitalChannel::btnEditSatelliteInfomationCancelClick);
}

void TfrmEditDigitalChannel::Clear() {
  video_ = audio_ = pcr_ = 0;
  name_.clear();
}

void TfrmEditDigitalChannel::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmEditDigitalChannel::FormActivate() {
  EditResult = -1;
  edVideoPID->setText(QString::fromStdString(UnsignedText(video_)));
  edAudioPID->setText(QString::fromStdString(UnsignedText(audio_)));
  edPCRPID->setText(QString::fromStdString(UnsignedText(pcr_)));
  edChannelName->setText(FromBytes(name_));
  edVideoPID->setFocus();
}

void TfrmEditDigitalChannel::btnEditSatelliteInfomationSaveClick() {
  video_ = TextToInt32(edVideoPID->text().toStdString(), 0);
  audio_ = TextToInt32(edAudioPID->text().toStdString(), 0);
  pcr_ = TextToInt32(edPCRPID->text().toStdString(), 0);
  name_ = ToBytes(edChannelName->text());
  EditResult = 0;
  accept();
}

void TfrmEditDigitalChannel::btnEditSatelliteInfomationCancelClick() {
  EditResult = -1;
  reject();
}
