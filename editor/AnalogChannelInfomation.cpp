#include "editor/AnalogChannelInfomation.h"

#include <QShowEvent>

#include "editor/editor_core.h"
#include "editor/record_dialog_parts.h"

using namespace orvane::editor;
using namespace orvane::editor::dialog_parts;

TfrmAnalogChannelInfomation::TfrmAnalogChannelInfomation(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAnalogChannelInfomation"));
  setWindowTitle(QStringLiteral("Analog Channel Infomation"));
  Panel2 = Panel(this, "Panel2", QStringLiteral("Left audio frequncy"), 0);
  edLeftAudioFrequency = Edit(this, "edLeftAudioFrequency", 0, QStringLiteral("720"));
  Panel3 = Panel(this, "Panel3", QStringLiteral("Right audio frequency"), 1);
  edRightAudioFrequency = Edit(this, "edRightAudioFrequency", 1, QStringLiteral("720"));
  Panel4 = Panel(this, "Panel4", QStringLiteral("Video polarity"), 2);
  cbAnaloglVideoPolairy =
      Combo(this, "cbAnaloglVideoPolairy", 2, {QStringLiteral("KU"), QStringLiteral("C")});
  Panel5 = Panel(this, "Panel5", QStringLiteral("Channel Name"), 3);
  edChannelName = Edit(this, "edChannelName", 3);
  btnEditSatelliteInfomationSave = SaveButton(this, "btnEditSatelliteInfomationSave", 4);
  btnEditSatelliteInfomationCanacle = CancelButton(this, "btnEditSatelliteInfomationCanacle", 4);
  connect(btnEditSatelliteInfomationSave, &QPushButton::clicked, this,
          &TfrmAnalogChannelInfomation::btnEditSatelliteInfomationSaveClick);
  connect(btnEditSatelliteInfomationCanacle, &QPushButton::clicked, this,
          &TfrmAnalogChannelInfomation::btnEditSatelliteInfomationCanacleClick);
}

void TfrmAnalogChannelInfomation::Clear() {
  left_ = right_ = kDefaultAudioFrequency;
  band_ = 0;
  name_.clear();
}

void TfrmAnalogChannelInfomation::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmAnalogChannelInfomation::FormActivate() {
  EditResult = -1;
  edLeftAudioFrequency->setText(QString::fromStdString(UnsignedText(left_)));
  edRightAudioFrequency->setText(QString::fromStdString(UnsignedText(right_)));
  SelectIndex(cbAnaloglVideoPolairy, band_);
  edChannelName->setText(FromBytes(name_));
  edLeftAudioFrequency->setFocus();
}

void TfrmAnalogChannelInfomation::btnEditSatelliteInfomationSaveClick() {
  left_ = TextToInt32(edLeftAudioFrequency->text().toStdString(), kDefaultAudioFrequency);
  right_ = TextToInt32(edRightAudioFrequency->text().toStdString(), kDefaultAudioFrequency);
  band_ = cbAnaloglVideoPolairy->currentIndex();
  name_ = ToBytes(edChannelName->text());
  EditResult = 0;
  accept();
}

void TfrmAnalogChannelInfomation::btnEditSatelliteInfomationCanacleClick() {
  EditResult = -1;
  reject();
}
