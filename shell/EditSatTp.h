// The main window "IRD Tool": one button per tool. When it is shown it writes the encoder's parameter file.
#pragma once

#include <QWidget>

class QFrame;
class QPlainTextEdit;
class QPushButton;
namespace orvane::ui {
class AppContext;
}

class TfrmIRDTool : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmIRDTool(orvane::ui::AppContext& app, QWidget* parent = nullptr);

  void FormActivate();  // writes the parameter file
  void btnOrvaneClick();
  void btnIRDUploadClick();
  void btnIRDDownloadClick();
  void btnProgreamExitClick();

  QFrame* Panel1;
  QPushButton* btnOrvane;
  QPushButton* btnIRDUpload;
  QPushButton* btnIRDDownload;
  QPushButton* btnProgreamExit;
  QPlainTextEdit* Memo1;  // hidden: the encoder's parameter lines

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  orvane::ui::AppContext& app_;
};
