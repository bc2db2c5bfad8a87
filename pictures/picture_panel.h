// The controls of one picture kind (load button, file name, black preview panel, bitrate, brightness, Set, set
// indicator) over the pipeline core. Both picture windows place three of these; they differ only in the
// settings given here.
#pragma once

#include <QFrame>
#include <QString>

#include "pictures/picture_pipeline.h"

class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
namespace orvane::ui {
class AppContext;
}

namespace orvane::pictures {

struct PanelSettings {
  QString bitrateText;  // the bitrate field's initial text
  int brightness = 0;   // the brightness bar's initial position
};

class PicturePanel : public QFrame {
  Q_OBJECT

 public:
  PicturePanel(ui::AppContext& app, PictureSet& pictures, PictureKind kind, const PanelSettings& settings,
               QWidget* parent = nullptr);

  PictureKind Kind() const { return kind_; }

  // Components, named per kind as the windows name them (btnLoadOpeningPic, edOpeningPicTxt, ...).
  QPushButton* loadButton;
  QLineEdit* fileNameField;
  QFrame* previewPanel;
  QLabel* previewImage;    // 238 x 198, the picture stretched into it
  QLabel* fullSizeImage;   // invisible, holds the 704 x 576 picture
  QLineEdit* bitrateField;
  QScrollBar* brightnessBar;
  QPushButton* setButton;
  QRadioButton* setIndicator;

  // The two operations (the load button's and the Set button's click).
  void LoadClick();
  void SetClick();

 signals:
  // A Set that filled the slot.
  void SlotFilled(orvane::pictures::PictureKind kind);

 private:
  void ShowPicture(QLabel* label, const Frame& frame);

  ui::AppContext& app_;
  PictureSet& pictures_;
  PictureKind kind_;
};

// The three panels of a picture window (left to right: Opening, Main Menu, Radio) and their components under
// the names both picture windows give them. A window derives from it beside QDialog.
struct PicturePanels {
  PicturePanel* Panel3;  // Opening
  PicturePanel* Panel5;  // Main Menu
  PicturePanel* Panel7;  // Radio
  QPushButton *btnLoadOpeningPic, *btnLoadMainMenuPic, *btnLoadRadioPic;
  QLineEdit *edOpeningPicTxt, *edMainMenuPicTxt, *edRadioPicTxt;
  QLineEdit *edOpeningPIC, *edMainMenuPic, *edRadioPic;
  QScrollBar *sbBrightnessOpeningPic, *sbBrightnessMainMenuPic, *sbBrightnessRadioPic;
  QPushButton *Button1, *Button3, *Button5;
  QRadioButton *rbOpening, *rbMainMenu, *rbRadio;
  QLabel *picOpeningPic, *picMainMenuPic, *picRadioPic;
  QLabel *imgOpeningPic, *imgMainMenuPic, *imgRadioPic;

  // Creates the panels in `window`, the first at (x, y), each `width` x `height`, `gap` apart.
  void PlacePanels(QWidget* window, ui::AppContext& app, PictureSet& pictures, const PanelSettings& settings, int x, int y, int width,
                   int height, int gap);

  void btnLoadOpeningPicClick() { Panel3->LoadClick(); }
  void btnLoadMainMenuPicClick() { Panel5->LoadClick(); }
  void btnLoadRadioPicClick() { Panel7->LoadClick(); }
  void Button1Click() { Panel3->SetClick(); }
  void Button3Click() { Panel5->SetClick(); }
  void Button5Click() { Panel7->SetClick(); }
};

// A frame (rows bottom-up, blue-green-red) as a top-down QImage.
QImage FrameImage(const Frame& frame);

}  // namespace orvane::pictures
