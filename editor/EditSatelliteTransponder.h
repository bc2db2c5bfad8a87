// The channel database editor window: satellites, the transponders of the current satellite and the channels
// of the current transponder side by side; file commands, the SatCoDX import and download, and the pop-up
// menus of the three lists. The algorithms live in editor_core; this class owns the components.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "channeldb/records.h"
#include "editor/database_find.h"
#include "editor/editor_commands.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QUndoStack;
class OrvaneListBox;
class TfrmEditSatelliteInfomation;
class TfrmEditTransponderInfo;
class TfrmEditDigitalChannel;
class TfrmAnalogChannelInfomation;
class TfrmSelectSatelliteList;
namespace orvane::ui {
class AppContext;
}
namespace orvane::editor {
class FindBar;
class SatelliteListModel;
class TransponderListModel;
class ChannelListModel;
}

namespace orvane::satcodx {
struct DownloadBuffer;
}

class TfrmEditSatTP : public QDialog {
  Q_OBJECT

 public:
  // The drag mode: which list a running drag belongs to.
  enum DragMode { kDragNone = 0, kDragChannels = 1, kDragTransponders = 2, kDragSatellites = 3 };

  explicit TfrmEditSatTP(orvane::ui::AppContext& app, QWidget* parent = nullptr);
  ~TfrmEditSatTP() override;

  // ---- Handlers ----
  void FormActivate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Bysatcodx1Click();
  void DownloadandLoad1Click();
  void Open1Click();
  void Saveas1Click();
  void Exut1Click();
  void SelectDuplicates1Click();
  void ExportCSV1Click();
  void Comparewith1Click();
  // A match of the find bar: its satellite, transponder and channel become current, their rows selected.
  void findBarMatchChosen(orvane::editor::FindMatch match);

  void lbSatelliteNameListMouseDown(Qt::MouseButton button, QPoint globalPosition);
  void lbSatelliteNameListKeyUp();
  void lbTransponderListMouseDown(Qt::MouseButton button, QPoint globalPosition);
  void lbTransponderListKeyUp();
  void lbManualAnalogChannelListMouseDown(Qt::MouseButton button, QPoint globalPosition);
  void lbSatelliteNameListDragDrop(int row);
  void lbTransponderListDragDrop(int row);
  void lbManualAnalogChannelListDragDrop(int row);

  // Satellite pop-up menu.
  void Edit1Click();
  void Add3Click();
  void Delete1Click();
  void Move2Click();
  void Sortbyname1Click();
  void Sortbydegree2Click();
  // Transponder pop-up menu.
  void pmEditTransponderClick();
  void Add2Click();
  void DeleteTpClick();
  void Move1Click();
  void Sortbyfrequency1Click();
  void SorybyKUC1Click();
  void SortbyAD1Click();
  void SortbyDA1Click();
  void CopyAllTPs1Click();
  void PasteTPs1Click();
  // Channel pop-up menu.
  void Edit2Click();
  void Add1Click();
  void Delete2Click();
  void Move3Click();

  // ---- State, for the handlers and for tests ----
  int currentSatellite() const { return currentSatellite_; }
  int currentTransponder() const { return currentTransponder_; }
  bool currentTransponderIsAnalog() const { return currentAnalog_; }
  int dragMode() const { return dragMode_; }
  const std::vector<int>& satelliteRowSlots() const;
  const DATABASESATELLITEINFO& transponderClipboard() const { return *clipboard_; }
  // Whether a menu or pop-up opens its menus for real; tests turn it off and call the handlers.
  bool showPopupMenus = true;
  // The pop-up menu the last right click or pop-up key asked for (also when showPopupMenus is off).
  QMenu* lastPopupMenu() const { return lastPopup_; }
  // The caption without the modified mark, and whether edits are unsaved.
  QString caption() const { return caption_; }
  bool hasUnsavedEdits() const;
  // Sizes of what the undo history keeps, in bytes.
  std::size_t UndoHistoryBytes() const;

  // The models behind the three lists.
  orvane::editor::SatelliteListModel* satelliteModel() const { return satellites_; }
  orvane::editor::TransponderListModel* transponderModel() const { return transponders_; }
  orvane::editor::ChannelListModel* channelModel() const { return channels_; }

  // Refilling the lists from the model: all satellites (then the transponders of the first row), the
  // transponders of one satellite (then the channels of its transponder 0), the channels of one transponder.
  void RefillSatelliteList();
  void RefillTransponderList(int satelliteSlot);
  void RefillChannelList(int satelliteSlot, int transponderSlot);
  void UpdateStatusLine();
  // Shows the model with `place` current as far as it still exists (after an undo or a redo).
  void ShowPlace(const orvane::editor::EditorPlace& place);

  // ---- Components ----
  QMenuBar* MainMenu1;
  QMenu* File1;
  QAction* Open1;
  QAction* Saveas1;
  QAction* ExportCSV1;
  QAction* Comparewith1;
  QAction* Exut1;
  QAction* Find1;      // Ctrl+F: the find bar
  QAction* FindNext1;  // F3
  orvane::editor::FindBar* findBar = nullptr;
  QMenu* Edit3;
  QAction* Undo1;
  QAction* Redo1;
  QUndoStack* undoStack;
  QMenu* SatCoDX1;
  QAction* Bysatcodx1;
  QAction* DownloadandLoad1;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QLabel* pnSatelliteList;
  OrvaneListBox* lbSatelliteNameList;
  QLabel* pnTransponderList;
  OrvaneListBox* lbTransponderList;
  QLabel* pnManualAnalogChannelList;
  OrvaneListBox* lbManualAnalogChannelList;
  QLabel* pnStatusInfo;
  QMenu* pmSatelliteList;
  QAction* Edit1;
  QAction* Add3;
  QAction* Delete1;
  QAction* Move2;
  QAction* Sortbyname1;
  QAction* Sortbydegree2;
  QMenu* pmTransponderPopupMenu;
  QAction* pmEditTransponder;
  QAction* Add2;
  QAction* DeleteTp;
  QAction* Move1;
  QAction* Sortbyfrequency1;
  QAction* SorybyKUC1;
  QAction* SortbyAD1;
  QAction* SortbyDA1;
  QAction* CopyAllTPs1;
  QAction* PasteTPs1;
  QAction* SelectDuplicates1;
  QMenu* pmManualAnalogChannel;
  QAction* Edit2;
  QAction* Add1;
  QAction* Delete2;
  QAction* Move3;

  // The save dialog's file name, as the last Save left it ("Update channel data" shows it as the caption).
  QString SaveDialog1FileName;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  orvane::ui::AppContext& app_;
  DATABASESATELLITETABLE& db();
  DATABASESATELLITEINFO& satellite();
  DATABASETRANSPONDERINFO& transponder();

  void ShowSatelliteRows(const std::vector<int>& slots);
  void MakeSatelliteCurrent();
  void MakeTransponderCurrent();
  void ShowAfterImport();
  void RunImport();
  void PlaceComponents(int width, int height);
  // Caption handling: the caption as the commands set it, with the modified mark added while edits are
  // unsaved.
  void SetCaption(const QString& caption);
  void UpdateCaption();
  // Asks whether to save unsaved edits before they are replaced; false when the user cancels (or the save
  // was cancelled or failed). True at once when nothing is unsaved.
  bool MaySetEditsAside();
  // Save through the save dialog; true when the chosen file was written.
  bool SaveWithDialog();
  orvane::editor::EditorPlace Place() const { return {currentSatellite_, currentTransponder_}; }
  orvane::editor::ShowPlace Shower();
  void Push(std::unique_ptr<orvane::editor::ModelCommand> command);
  // A step that replaced the whole model: pushed as done and marked as matching what was loaded.
  void PushLoaded(const std::string& before, const QString& text);
  void ChangeSatellite(const QString& text, const std::function<void(DATABASESATELLITEINFO&)>& change);
  void ChangeTransponder(const QString& text, const std::function<void(DATABASETRANSPONDERINFO&)>& change);
  void OpenPopup(OrvaneListBox* list, QMenu* menu, QPoint globalPosition, bool evenWhenEmpty);
  void StartMove(OrvaneListBox* list, DragMode mode);
  bool SaveTo(const QString& path, bool reportLosses, bool keepPrevious = false);
  template <class Order>
  void SortSatellites(Order order, const QString& text);
  template <class Sort>
  void SortTransponders(Sort sort, const QString& text);

  TfrmEditSatelliteInfomation* satelliteDialog() const;
  TfrmEditTransponderInfo* transponderDialog() const;
  TfrmEditDigitalChannel* digitalDialog() const;
  TfrmAnalogChannelInfomation* analogDialog() const;
  TfrmSelectSatelliteList* selectionWindow() const;

  int currentSatellite_ = 0;
  int currentTransponder_ = 0;
  bool currentAnalog_ = false;
  int dragMode_ = kDragNone;
  // The lists' models; the satellite model maps its rows to slots.
  orvane::editor::SatelliteListModel* satellites_ = nullptr;
  orvane::editor::TransponderListModel* transponders_ = nullptr;
  orvane::editor::ChannelListModel* channels_ = nullptr;
  std::unique_ptr<DATABASESATELLITEINFO> clipboard_;
  std::unique_ptr<orvane::satcodx::DownloadBuffer> downloadBuffer_;
  QMenu* lastPopup_ = nullptr;
  QString caption_;
  bool holdCaption_ = false;
  // Snapshots of the whole model, for the steps that replace it; kept so that their storage is reused.
  std::string snapshotBefore_, snapshotScratch_;  // while a load pushes its step, so the caption changes once
};
