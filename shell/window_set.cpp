#include "shell/window_set.h"

#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditSatelliteTransponder.h"
#include "editor/EditTransponderInfo.h"
#include "editor/SelectDownSatelliteList.h"
#include "shell/EditSatTp.h"
#include "shell/KoreaIRDTool.h"
#include "ui/window_registry.h"

namespace orvane::shell {

void DeclareWindows(ui::WindowRegistry& r) {
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
  // The picture tool, the data area download tool and the key setting tool are not built yet.
  r.Declare(QStringLiteral("TfrmIRDUploader"), QStringLiteral("Upload picture"), {});
  r.Declare(QStringLiteral("TfrmIrdDownload"), QStringLiteral("Download"), {});
  r.Declare(QStringLiteral("TfrmKeySetting"), QStringLiteral("Key Setting Tool"), {});
  r.Declare(QStringLiteral("TfrmSimpleupload"), QStringLiteral("Upload data"), {});
  r.Declare(QStringLiteral("TfrmSelectSatelliteList"), QStringLiteral("Select satellites to download"),
            [] { return new TfrmSelectSatelliteList; });
}

}  // namespace orvane::shell
