#include "shell/window_set.h"

#include <QEvent>
#include <QObject>

#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditSatelliteTransponder.h"
#include "editor/EditTransponderInfo.h"
#include "editor/SelectDownSatelliteList.h"
#include "keysetting/KeySetting.h"
#include "pictures/UploadMain.h"
#include "transfer/DownloadMain.h"
#include "shell/EditSatTp.h"
#include "shell/KoreaIRDTool.h"
#include "transfer/simpleupload.h"
#include "ui/app_context.h"

namespace orvane::shell {

namespace {

// Runs `closed` when the watched window is hidden by the program (closed), not when the window system hides it
// (minimised).
class ClosedWatcher : public QObject {
 public:
  ClosedWatcher(QWidget* window, std::function<void()> closed) : QObject(window), closed_(std::move(closed)) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && !event->spontaneous() && closed_) closed_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> closed_;
};

}  // namespace

QWidget& ShowMainWindow(ui::AppContext& app, bool allTools, std::function<void()> closed) {
  auto& r = app.windows();
  QWidget& w = allTools ? static_cast<QWidget&>(r.Get<TfrmKoreaIRDTool>()) : r.Get<TfrmIRDTool>();
  new ClosedWatcher(&w, std::move(closed));
  w.show();
  return w;
}

void DeclareWindows(ui::AppContext& app) {
  using orvane::keysetting::TfrmKeySetting;
  using orvane::pictures::TfrmIRDUploader;
  using orvane::transfer::TfrmIrdDownload;
  using orvane::transfer::TfrmSimpleupload;
  // Mode 0 from the main window (a software image), mode 1 from the editor (the saved channel data).
  app.softwareUpdate = [&app](int mode) {
    auto& w = app.windows().Get<TfrmSimpleupload>();
    w.SetUpdateMode(mode);
    app.ShowModal(w);
  };
  auto& r = app.windows();
  r.Declare<TfrmIRDTool>(QStringLiteral("IRD Tool"));
  r.Declare<TfrmKoreaIRDTool>(QStringLiteral("IRD Tool"));
  r.Declare<TfrmEditSatTP>(QStringLiteral("None"));
  r.Declare<TfrmEditSatelliteInfomation>(QStringLiteral("Satellite Information"));
  r.Declare<TfrmEditTransponderInfo>(QStringLiteral("Transponder Infomation"));
  r.Declare<TfrmEditDigitalChannel>(QStringLiteral("Digital Channel Infomation"));
  r.Declare<TfrmAnalogChannelInfomation>(QStringLiteral("Analog Channel Infomation"));
  r.Declare<TfrmIRDUploader>(QStringLiteral("Upload picture"));
  r.Declare<TfrmIrdDownload>(QStringLiteral("Download"));
  r.Declare<TfrmKeySetting>(QStringLiteral("Key Setting Tool"));
  r.Declare<TfrmSimpleupload>(QStringLiteral("Upload data"));
  r.Declare<TfrmSelectSatelliteList>(QStringLiteral("Select satellites to download"));
}

}  // namespace orvane::shell
