#include "editor/EditSatelliteInfomation.h"

#include <QShowEvent>

#include "editor/editor_core.h"
#include "editor/record_dialog_parts.h"

using namespace orvane::editor;
using namespace orvane::editor::dialog_parts;

TfrmEditSatelliteInfomation::TfrmEditSatelliteInfomation(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmEditSatelliteInfomation"));
  setWindowTitle(QStringLiteral("Satellite Information"));
  btnEditSatelliteName = Panel(this, "btnEditSatelliteName", QStringLiteral("Satellite Name"), 0);
  edName = Edit(this, "edName", 0);
  Panel3 = Panel(this, "Panel3", QStringLiteral("Pre define diseqc 1.2 code"), 1);
  edDiseqc1_2Code = Edit(this, "edDiseqc1_2Code", 1, QStringLiteral("0"));
  Panel4 = Panel(this, "Panel4", QStringLiteral("Satellite east degree"), 2);
  edEastDegree = Edit(this, "edEastDegree", 2, QStringLiteral("0"));
  btnEditSatelliteInfomationSave = SaveButton(this, "btnEditSatelliteInfomationSave", 3);
  btnEditSatelliteInfomationCancel = CancelButton(this, "btnEditSatelliteInfomationCancel", 3);
  connect(btnEditSatelliteInfomationSave, &QPushButton::clicked, this,
          &TfrmEditSatelliteInfomation::btnEditSatelliteInfomationSaveClick);
  connect(btnEditSatelliteInfomationCancel, &QPushButton::clicked, this,
          &TfrmEditSatelliteInfomation::btnEditSatelliteInfomationCancelClick);
}

void TfrmEditSatelliteInfomation::Clear() {
  name_.clear();
  diseqc_ = 0;
  eastDegree_ = 0;
}

void TfrmEditSatelliteInfomation::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmEditSatelliteInfomation::FormActivate() {
  EditResult = -1;
  edName->setText(FromBytes(name_));
  edDiseqc1_2Code->setText(QString::fromStdString(UnsignedText(diseqc_)));
  edEastDegree->setText(QString::fromStdString(EastDegreeText(eastDegree_)));
  edName->setFocus();
}

void TfrmEditSatelliteInfomation::btnEditSatelliteInfomationSaveClick() {
  name_ = ToBytes(edName->text());
  diseqc_ = TextToInt32(edDiseqc1_2Code->text().toStdString(), 0);
  eastDegree_ = TextToEastDegree(edEastDegree->text().toStdString());
  EditResult = 0;
  accept();
}

void TfrmEditSatelliteInfomation::btnEditSatelliteInfomationCancelClick() {
  EditResult = -1;
  reject();
}
