// The satellite selection window of the Internet download: lists the satellites of the index file and marks
// the ones to fetch.
#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
namespace orvane::ui {
class AppContext;
}

class TfrmSelectSatelliteList : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSelectSatelliteList(orvane::ui::AppContext& app, QWidget* parent = nullptr);

  void FormActivate();
  void Button1Click();
  void Button2Click();
  void Button3Click();

  // The marks the download reads: the selection of the hidden list, row r = r-th satellite line of the index.
  std::vector<bool> MarkedRows() const;

  QLabel* Panel2;
  QListWidget* lbSelectSatelliteList;
  QListWidget* lbHideSelectSatelliteList;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  orvane::ui::AppContext& app_;
};
