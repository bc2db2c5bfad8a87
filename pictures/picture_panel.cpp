#include "pictures/picture_panel.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "common/file_io.h"
#include "ui/app_context.h"

namespace orvane::pictures {

namespace {

constexpr const char* kJpegFilter = "*.jpg|*.jpg";
constexpr int kPreviewWidth = 238;
constexpr int kPreviewHeight = 198;
constexpr int kPreviewBorder = 2;

struct KindNames {
  const char* loadButton;
  const char* loadCaption;
  const char* fileName;
  const char* bitrate;
  const char* brightness;
  const char* setButton;
  const char* indicator;
  const char* fullSize;
  const char* preview;
};

KindNames NamesOf(PictureKind kind) {
  switch (kind) {
    case PictureKind::Opening:
      return {"btnLoadOpeningPic", "Load Opening PIC.(JPG)", "edOpeningPicTxt", "edOpeningPIC",
              "sbBrightnessOpeningPic", "Button1", "rbOpening", "picOpeningPic", "imgOpeningPic"};
    case PictureKind::MainMenu:
      return {"btnLoadMainMenuPic", "Load Main Menu PIC.(JPG)", "edMainMenuPicTxt", "edMainMenuPic",
              "sbBrightnessMainMenuPic", "Button3", "rbMainMenu", "picMainMenuPic", "imgMainMenuPic"};
    case PictureKind::Radio:
      break;
  }
  return {"btnLoadRadioPic", "Load Radio PIC.(JPG)", "edRadioPicTxt", "edRadioPic", "sbBrightnessRadioPic",
          "Button5", "rbRadio", "picRadioPic", "imgRadioPic"};
}

}  // namespace

QImage FrameImage(const Frame& frame) {
  if (frame.size() != kFrameBytes) return {};
  const QImage view(frame.data(), kFrameWidth, kFrameHeight, static_cast<qsizetype>(kRowBytes), QImage::Format_BGR888);
  return view.mirrored(false, true);  // a deep copy, top row first
}

PicturePanel::PicturePanel(ui::AppContext& app, PictureSet& pictures, PictureKind kind, const PanelSettings& settings,
                           QWidget* parent)
    : QFrame(parent), app_(app), pictures_(pictures), kind_(kind) {
  const KindNames n = NamesOf(kind);
  setFrameShape(QFrame::StyledPanel);

  loadButton = new QPushButton(QString::fromLatin1(n.loadCaption), this);
  loadButton->setObjectName(QString::fromLatin1(n.loadButton));
  loadButton->setGeometry(8, 6, kPreviewWidth + 2 * kPreviewBorder, 26);

  fileNameField = new QLineEdit(this);
  fileNameField->setObjectName(QString::fromLatin1(n.fileName));
  fileNameField->setGeometry(8, 36, kPreviewWidth + 2 * kPreviewBorder, 22);

  previewPanel = new QFrame(this);
  previewPanel->setObjectName(QStringLiteral("pnPreview%1").arg(QString::fromLatin1(KindName(kind))));
  previewPanel->setStyleSheet(QStringLiteral("background-color: black;"));
  previewPanel->setGeometry(8, 62, kPreviewWidth + 2 * kPreviewBorder, kPreviewHeight + 2 * kPreviewBorder);
  previewImage = new QLabel(previewPanel);
  previewImage->setObjectName(QString::fromLatin1(n.preview));
  previewImage->setScaledContents(true);
  previewImage->setGeometry(kPreviewBorder, kPreviewBorder, kPreviewWidth, kPreviewHeight);

  fullSizeImage = new QLabel(this);
  fullSizeImage->setObjectName(QString::fromLatin1(n.fullSize));
  fullSizeImage->setGeometry(0, 0, kFrameWidth, kFrameHeight);
  fullSizeImage->setVisible(false);

  auto* bitrateLabel = new QLabel(QStringLiteral("Bitrate"), this);
  bitrateLabel->setGeometry(8, 270, 64, 22);
  bitrateField = new QLineEdit(settings.bitrateText, this);
  bitrateField->setObjectName(QString::fromLatin1(n.bitrate));
  bitrateField->setGeometry(76, 270, 92, 22);

  auto* brightnessLabel = new QLabel(QStringLiteral("Brightness"), this);
  brightnessLabel->setGeometry(8, 298, 64, 20);
  brightnessBar = new QScrollBar(Qt::Horizontal, this);
  brightnessBar->setObjectName(QString::fromLatin1(n.brightness));
  brightnessBar->setRange(0, kBrightnessMax);
  brightnessBar->setValue(settings.brightness);
  brightnessBar->setGeometry(76, 298, 92, 18);

  setButton = new QPushButton(QStringLiteral("Set"), this);
  setButton->setObjectName(QString::fromLatin1(n.setButton));
  setButton->setGeometry(176, 269, 52, 26);

  // One per panel and not exclusive: each kind's indicator stands alone, and the user may click it.
  setIndicator = new QRadioButton(this);
  setIndicator->setObjectName(QString::fromLatin1(n.indicator));
  setIndicator->setAutoExclusive(false);
  setIndicator->setGeometry(232, 272, 18, 20);

  connect(loadButton, &QPushButton::clicked, this, [this] { LoadClick(); });
  connect(setButton, &QPushButton::clicked, this, [this] { SetClick(); });
}

void PicturePanels::PlacePanels(QWidget* window, ui::AppContext& app, PictureSet& pictures, const PanelSettings& settings, int x, int y,
                                int width, int height, int gap) {
  PicturePanel** panels[] = {&Panel3, &Panel5, &Panel7};
  const char* names[] = {"Panel3", "Panel5", "Panel7"};
  for (std::size_t i = 0; i < kAllKinds.size(); ++i) {
    *panels[i] = new PicturePanel(app, pictures, kAllKinds[i], settings, window);
    (*panels[i])->setObjectName(QString::fromLatin1(names[i]));
    (*panels[i])->setGeometry(x + static_cast<int>(i) * (width + gap), y, width, height);
  }
  auto expose = [](PicturePanel* p, QPushButton*& load, QLineEdit*& file, QLineEdit*& bitrate, QScrollBar*& bar,
                   QPushButton*& set, QRadioButton*& indicator, QLabel*& full, QLabel*& preview) {
    load = p->loadButton;
    file = p->fileNameField;
    bitrate = p->bitrateField;
    bar = p->brightnessBar;
    set = p->setButton;
    indicator = p->setIndicator;
    full = p->fullSizeImage;
    preview = p->previewImage;
  };
  expose(Panel3, btnLoadOpeningPic, edOpeningPicTxt, edOpeningPIC, sbBrightnessOpeningPic, Button1, rbOpening,
         picOpeningPic, imgOpeningPic);
  expose(Panel5, btnLoadMainMenuPic, edMainMenuPicTxt, edMainMenuPic, sbBrightnessMainMenuPic, Button3,
         rbMainMenu, picMainMenuPic, imgMainMenuPic);
  expose(Panel7, btnLoadRadioPic, edRadioPicTxt, edRadioPic, sbBrightnessRadioPic, Button5, rbRadio, picRadioPic,
         imgRadioPic);
}

void PicturePanel::ShowPicture(QLabel* label, const Frame& frame) {
  label->setPixmap(QPixmap::fromImage(FrameImage(frame)));
}

void PicturePanel::LoadClick() {
  ui::FileDialogRequest OpenDialog2;
  OpenDialog2.filter = QString::fromLatin1(kJpegFilter);
  OpenDialog2.initialDir = QStringLiteral(".");
  const auto path = app_.prompts().ChooseOpenFile(OpenDialog2);
  if (!path) return;
  setIndicator->setChecked(false);
  fileNameField->setText(*path);
  try {
    const Frame canvas = pictures_.Load(kind_, path->toStdString());
    ShowPicture(fullSizeImage, canvas);
    ShowPicture(previewImage, canvas);
  } catch (const std::exception& e) {
    // "JPEG error #N", or the work file's name and the system's reason.
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
    return;
  }
  SetClick();
}

void PicturePanel::SetClick() {
  SetRequest request;
  request.fileNameField = fileNameField->text().toStdString();
  request.brightness = brightnessBar->value();
  request.bitrateText = bitrateField->text().toStdString();
  SetResult result;
  try {
    result = pictures_.Set(
        kind_, request, [this] { return app_.prompts().AskYesNo(QString::fromLatin1(kMsgContinue)); },
        [this](const Frame& darkened) { ShowPicture(previewImage, darkened); });
  } catch (const std::exception& e) {
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
    return;
  }
  switch (result.outcome) {
    case SetOutcome::Nothing:
    case SetOutcome::Declined:
      return;
    case SetOutcome::TooBig:
      app_.prompts().Message(QString::fromLatin1(kMsgTooBig));
      return;
    case SetOutcome::Success:
      setIndicator->setChecked(true);
      emit SlotFilled(kind_);
      app_.prompts().Message(QString::fromLatin1(kMsgSuccess));
      return;
  }
}

}  // namespace orvane::pictures
