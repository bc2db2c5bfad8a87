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
#include "ui/window_registry.h"
#if ORVANE_HAVE_SOFTWARE_UPDATE
#include "transfer/simpleupload.h"
#endif

namespace orvane::shell {

namespace {

QWidget* SoftwareUpdateWindow() {
#if ORVANE_HAVE_SOFTWARE_UPDATE
  return new orvane::transfer::TfrmSimpleupload;
#else
  return nullptr;
#endif
}

// Mode 0 from the main window (a software image), mode 1 from the editor (the saved channel data).
void ShowSoftwareUpdate(ui::WindowRegistry& r, int mode) {
#if ORVANE_HAVE_SOFTWARE_UPDATE
  if (auto* w =
          qobject_cast<orvane::transfer::TfrmSimpleupload*>(r.Find(QStringLiteral("TfrmSimpleupload")))) {
    w->SetUpdateMode(mode);
    ui::ShowModal(*w);
  }
#endif
}

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

QWidget* ShowMainWindow(ui::WindowRegistry& r, bool allTools, std::function<void()> closed) {
  QWidget* w = allTools ? static_cast<QWidget*>(r.Get<TfrmKoreaIRDTool>()) : r.Get<TfrmIRDTool>();
  if (!w) return nullptr;
  new ClosedWatcher(w, std::move(closed));
  w->show();
  return w;
}

void DeclareWindows(ui::WindowRegistry& r) {
  // Set before any window is created: the windows that open the tool enable their buttons by it.
  ui::SoftwareUpdate() = nullptr;
#if ORVANE_HAVE_SOFTWARE_UPDATE
  ui::SoftwareUpdate() = [&r](int mode) { ShowSoftwareUpdate(r, mode); };
#endif
  r.Declare(QStringLiteral("TfrmIRDTool"), QStringLiteral("IRD Tool"), [] { return new TfrmIRDTool; });
  r.Declare(QStringLiteral("TfrmKoreaIRDTool"), QStringLiteral("IRD Tool"),
            [] { return new TfrmKoreaIRDTool; });
  r.Declare(QStringLiteral("TfrmEditSatTP"), QStringLiteral("None"), [] { return new TfrmEditSatTP; });
  r.Declare(QStringLiteral("TfrmEditSatelliteInfomation"), QStringLiteral("Satellite Information"),
            [] { return new TfrmEditSatelliteInfomation; });
  r.Declare(QStringLiteral("TfrmEditTransponderInfo"), QStringLiteral("Transponder Infomation"),
            [] { return new TfrmEditTransponderInfo; });
  r.Declare(QStringLiteral("TfrmEditDigitalChannel"), QStringLiteral("Digital Channel Infomation"),
            [] { return new TfrmEditDigitalChannel; });
  r.Declare(QStringLiteral("TfrmAnalogChannelInfomation"), QStringLiteral("Analog Channel Infomation"),
            [] { return new TfrmAnalogChannelInfomation; });
  r.Declare(QStringLiteral("TfrmIRDUploader"), QStringLiteral("Upload picture"),
            [] { return new orvane::pictures::TfrmIRDUploader; });
  r.Declare(QStringLiteral("TfrmIrdDownload"), QStringLiteral("Download"),
            [] { return new orvane::transfer::TfrmIrdDownload; });
  r.Declare(QStringLiteral("TfrmKeySetting"), QStringLiteral("Key Setting Tool"), [] { return new orvane::keysetting::TfrmKeySetting; });
  r.Declare(QStringLiteral("TfrmSimpleupload"), QStringLiteral("Upload data"),
            ORVANE_HAVE_SOFTWARE_UPDATE ? ui::WindowRegistry::Factory(SoftwareUpdateWindow) : nullptr);
  r.Declare(QStringLiteral("TfrmSelectSatelliteList"), QStringLiteral("Select satellites to download"),
            [] { return new TfrmSelectSatelliteList; });
}

}  // namespace orvane::shell
