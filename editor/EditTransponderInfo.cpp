#include "editor/EditTransponderInfo.h"

#include <QShowEvent>

#include "editor/editor_core.h"
#include "editor/record_dialog_parts.h"

using namespace orvane::editor;
using namespace orvane::editor::dialog_parts;

TfrmEditTransponderInfo::TfrmEditTransponderInfo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmEditTransponderInfo"));
  setWindowTitle(QStringLiteral("Transponder Infomation"));
  Panel2 = Panel(this, "Panel2", QStringLiteral("Frequency"), 0);
  edFrequency = Edit(this, "edFrequency", 0);
  Panel3 = Panel(this, "Panel3", QStringLiteral("Symbol rate"), 1);
  edSymbolRate = Edit(this, "edSymbolRate", 1);
  Panel4 = Panel(this, "Panel4", QStringLiteral("Polarity"), 2);
  cbPolarity = Combo(this, "cbPolarity", 2, {QStringLiteral("H"), QStringLiteral("V")});
  Panel5 = Panel(this, "Panel5", QStringLiteral("FEC"), 3);
  cbFEC = Combo(this, "cbFEC", 3,
                {QStringLiteral("Auto"), QStringLiteral("1/2"), QStringLiteral("2/3"), QStringLiteral("3/4"),
                 QStringLiteral("5/6"), QStringLiteral("7/8")});
  btnTransponderInfomationSave = SaveButton(this, "btnTransponderInfomationSave", 4);
  btnTransponderInfomationCancel = CancelButton(this, "btnTransponderInfomationCancel", 4);
  connect(btnTransponderInfomationSave, &QPushButton::clicked, this,
          &TfrmEditTransponderInfo::btnTransponderInfomationSaveClick);
  connect(btnTransponderInfomationCancel, &QPushButton::clicked, this,
          &TfrmEditTransponderInfo::btnTransponderInfomationCancelClick);
}

void TfrmEditTransponderInfo::Clear() {
  frequency_ = symbolRate_ = polarity_ = fec_ = 0;
}

void TfrmEditTransponderInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmEditTransponderInfo::FormActivate() {
  EditResult = -1;
  edFrequency->setText(QString::fromStdString(UnsignedText(frequency_)));
  edSymbolRate->setText(QString::fromStdString(UnsignedText(symbolRate_)));
  SelectIndex(cbPolarity, polarity_);
  SelectIndex(cbFEC, fec_);
  edFrequency->setFocus();
}

void TfrmEditTransponderInfo::btnTransponderInfomationSaveClick() {
  frequency_ = TextToInt32(edFrequency->text().toStdString(), 0);
  symbolRate_ = TextToInt32(edSymbolRate->text().toStdString(), 0);
  polarity_ = cbPolarity->currentIndex();
  fec_ = cbFEC->currentIndex();
  EditResult = 0;
  accept();
}

void TfrmEditTransponderInfo::btnTransponderInfomationCancelClick() {
  EditResult = -1;
  reject();
}
