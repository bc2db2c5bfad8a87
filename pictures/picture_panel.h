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

namespace orvane::pictures {

struct PanelSettings {
  QString bitrateText;  // the bitrate field's initial text
  int brightness = 0;   // the brightness bar's initial position
};

class PicturePanel : public QFrame {
  Q_OBJECT

 public:
  PicturePanel(PictureSet& pictures, PictureKind kind, const PanelSettings& settings, QWidget* parent = nullptr);

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

  PictureSet& pictures_;
  PictureKind kind_;
};

// A frame (rows bottom-up, blue-green-red) as a top-down QImage.
QImage FrameImage(const Frame& frame);

}  // namespace orvane::pictures
