#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditTransponderInfo.h"
#include "ui/tests/qt_app.h"

namespace {

// Shows the dialog as the editor would, lets `type` fill its inputs, then presses `button`.
template <class Dialog>
void Work(Dialog& d, const std::function<void(Dialog&)>& type, QPushButton* button) {
  d.show();
  QApplication::processEvents();
  type(d);
  button->click();
  QApplication::processEvents();
}

}  // namespace

TEST(RecordDialogs, SatelliteDialogConvertsTheEastDegree) {
  TestApp();
  TfrmEditSatelliteInfomation d;
  EXPECT_EQ(d.windowTitle(), "Satellite Information");
  d.Clear();
  d.show();
  EXPECT_EQ(d.EditResult, -1);
  EXPECT_EQ(d.edName->text(), "");
  EXPECT_EQ(d.edDiseqc1_2Code->text(), "0");
  EXPECT_EQ(d.edEastDegree->text(), "0.0");
  d.hide();

  struct Case {
    const char* typed;
    std::uint32_t tenths;
    const char* shownAgain;
  } cases[] = {{"13", 130, "13.0"},
               {"19.25", 192, "19.2"},
               {"0.0", 0, "0.0"},
               {"east", 0, "0.0"},
               {"359", 3590, "359.0"}};
  for (const auto& c : cases) {
    Work<TfrmEditSatelliteInfomation>(
        d,
        [&](auto& dlg) {
          dlg.edName->setText(QStringLiteral("Alpha \u00e9"));
          dlg.edDiseqc1_2Code->setText("-5");
          dlg.edEastDegree->setText(c.typed);
        },
        d.btnEditSatelliteInfomationSave);
    EXPECT_EQ(d.EditResult, 0);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.GetEastDegree(), c.tenths) << c.typed;
    EXPECT_EQ(d.GetSatelliteName(), "Alpha \xe9");  // Latin-1 bytes
    EXPECT_EQ(d.GetDiseqcCode(), -5);
    d.show();
    EXPECT_EQ(d.edEastDegree->text(), c.shownAgain);
    EXPECT_EQ(d.edDiseqc1_2Code->text(), "4294967291");
    d.hide();
  }
}

TEST(RecordDialogs, TransponderDialogFallsBackToZeroAndReportsNoChoiceAsMinusOne) {
  TestApp();
  TfrmEditTransponderInfo d;
  EXPECT_EQ(d.windowTitle(), "Transponder Infomation");
  d.SetFrequency(11778);
  d.SetSymbolRate(27500);
  d.SetPolarity(1);
  d.SetFEC(3);
  Work<TfrmEditTransponderInfo>(
      d,
      [](auto& dlg) {
        EXPECT_EQ(dlg.edFrequency->text(), "11778");
        EXPECT_EQ(dlg.cbPolarity->currentText(), "V");
        EXPECT_EQ(dlg.cbFEC->currentText(), "3/4");
        dlg.edFrequency->setText("11a78");
        dlg.edSymbolRate->setText("");
      },
      d.btnTransponderInfomationSave);
  EXPECT_EQ(d.EditResult, 0);
  EXPECT_EQ(d.GetFrequency(), 0);
  EXPECT_EQ(d.GetSymbolRate(), 0);
  EXPECT_EQ(d.GetPolarity(), 1);
  EXPECT_EQ(d.GetFEC(), 3);

  // An index the lists do not have shows no row, and Save hands back -1.
  d.SetFEC(9);
  Work<TfrmEditTransponderInfo>(
      d, [](auto&) {}, d.btnTransponderInfomationSave);
  EXPECT_EQ(d.GetFEC(), -1);

  // Typed, then cancelled: the stored values stay and are shown next time.
  d.SetFrequency(12000);
  Work<TfrmEditTransponderInfo>(
      d, [](auto& dlg) { dlg.edFrequency->setText("1"); }, d.btnTransponderInfomationCancel);
  EXPECT_EQ(d.EditResult, -1);
  d.show();
  EXPECT_EQ(d.edFrequency->text(), "12000");
  // Closed by the window's close box: cancelled.
  d.close();
  EXPECT_EQ(d.EditResult, -1);
}

TEST(RecordDialogs, ChannelDialogs) {
  TestApp();
  TfrmEditDigitalChannel digital;
  EXPECT_EQ(digital.windowTitle(), "Digital Channel Infomation");
  digital.Clear();
  Work<TfrmEditDigitalChannel>(
      digital,
      [](auto& dlg) {
        EXPECT_EQ(dlg.edVideoPID->text(), "0");
        dlg.edVideoPID->setText("160");
        dlg.edAudioPID->setText("x");
        dlg.edPCRPID->setText("-5");
        dlg.edChannelName->setText("News");
      },
      digital.btnEditSatelliteInfomationSave);
  EXPECT_EQ(digital.GetVideoPID(), 160);
  EXPECT_EQ(digital.GetAudioPID(), 0);
  EXPECT_EQ(digital.GetPCRPID(), -5);
  EXPECT_EQ(digital.GetChannelName(), "News");

  TfrmAnalogChannelInfomation analog;
  EXPECT_EQ(analog.windowTitle(), "Analog Channel Infomation");
  analog.Clear();
  Work<TfrmAnalogChannelInfomation>(
      analog,
      [](auto& dlg) {
        EXPECT_EQ(dlg.edLeftAudioFrequency->text(), "720");
        EXPECT_EQ(dlg.edRightAudioFrequency->text(), "720");
        EXPECT_EQ(dlg.cbAnaloglVideoPolairy->currentText(), "KU");
        dlg.edLeftAudioFrequency->setText("x");
        dlg.edRightAudioFrequency->setText("702");
        dlg.cbAnaloglVideoPolairy->setCurrentIndex(1);
      },
      analog.btnEditSatelliteInfomationSave);
  EXPECT_EQ(analog.EditResult, 0);
  EXPECT_EQ(analog.GetLeftAudioFrequency(), 720);
  EXPECT_EQ(analog.GetRightAudioFrequency(), 702);
  EXPECT_EQ(analog.GetVideoPolarity(), 1);
  Work<TfrmAnalogChannelInfomation>(
      analog, [](auto&) {}, analog.btnEditSatelliteInfomationCanacle);
  EXPECT_EQ(analog.EditResult, -1);
}
