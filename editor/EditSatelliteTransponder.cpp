#include "editor/EditSatelliteTransponder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QUndoStack>
#include <algorithm>
#include <exception>

#include "common/file_io.h"
#include "common/latin1.h"
#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditTransponderInfo.h"
#include "editor/SelectDownSatelliteList.h"
#include "editor/database_files.h"
#include "editor/database_find.h"
#include "editor/editor_core.h"
#include "editor/editor_tools.h"
#include "editor/list_box.h"
#include "editor/list_models.h"
#include "editor/model_snapshot.h"
#include "editor/record_adapters.h"
#include "editor/record_dialog_parts.h"
#include "satcodx/satcodx_download.h"
#include "satcodx/satcodx_import.h"
#include "ui/app_context.h"
#include "urlfetch/include/quonel.h"

namespace core = orvane::editor;
namespace parts = orvane::editor::dialog_parts;
using orvane::ui::SaveChoice;

namespace {

constexpr int kWidth = 758;
constexpr int kHeight = 595;
constexpr int kMargin = 6;
constexpr int kButtonTop = 30;
constexpr int kButtonHeight = 30;
constexpr int kButtonWidth = 170;
constexpr int kCaptionTop = kButtonTop + kButtonHeight + kMargin;
constexpr int kCaptionHeight = 24;
constexpr int kListTop = kCaptionTop + kCaptionHeight + 2;
constexpr int kStatusHeight = 24;
constexpr int kSatelliteWidth = 290;
constexpr int kTransponderWidth = 212;
// Of the width the window gains when it grows, the satellite list takes 2/5, the transponder list 1/4 and the
// channel list the rest; the lists take all of the height it gains.
constexpr int kSatelliteShare = 40;
constexpr int kTransponderShare = 25;
// The undo history keeps this many steps.
constexpr int kUndoSteps = 100;

const QString kSaveQuestion =
    QStringLiteral("The channel database has changes that are not saved. Save them first?");

QString Latin1(const std::string& s) {
  return orvane::text::FromLatin1(s);
}

QLabel* CaptionPanel(QWidget* parent, const char* name, const char* caption, int left, int width) {
  auto* panel = new QLabel(QString::fromLatin1(caption), parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setAlignment(Qt::AlignCenter);
  panel->setGeometry(left, kCaptionTop, width, kCaptionHeight);
  return panel;
}

// The working cursor while a sort runs.
struct WaitCursor {
  explicit WaitCursor(QWidget* w) : widget(w) { widget->setCursor(Qt::BusyCursor); }
  ~WaitCursor() { widget->unsetCursor(); }
  QWidget* widget;
};

}  // namespace

TfrmEditSatTP::TfrmEditSatTP(orvane::ui::AppContext& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      clipboard_(std::make_unique<DATABASESATELLITEINFO>()),
      downloadBuffer_(std::make_unique<orvane::satcodx::DownloadBuffer>()) {
  setObjectName(QStringLiteral("frmEditSatTP"));
  caption_ = QStringLiteral("None");
  setWindowTitle(caption_);
  // The designed size is the first and the smallest; the lists grow with the window.
  setMinimumSize(kWidth, kHeight);
  resize(kWidth, kHeight);
  setSizeGripEnabled(true);

  undoStack = new QUndoStack(this);
  undoStack->setObjectName(QStringLiteral("undoStack"));
  undoStack->setUndoLimit(kUndoSteps);
  connect(undoStack, &QUndoStack::cleanChanged, this, &TfrmEditSatTP::UpdateCaption);

  // Main menu.
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  MainMenu1->setNativeMenuBar(false);
  File1 = MainMenu1->addMenu(QStringLiteral("File"));
  File1->setObjectName(QStringLiteral("File1"));
  auto action = [this](QMenu* menu, const char* name, const char* caption, void (TfrmEditSatTP::*handler)()) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (handler) connect(a, &QAction::triggered, this, handler);
    return a;
  };
  Open1 = action(File1, "Open1", "Open", &TfrmEditSatTP::Open1Click);
  Saveas1 = action(File1, "Saveas1", "Save", &TfrmEditSatTP::Saveas1Click);
  ExportCSV1 = action(File1, "ExportCSV1", "Export CSV...", &TfrmEditSatTP::ExportCSV1Click);
  Comparewith1 = action(File1, "Comparewith1", "Compare with...", &TfrmEditSatTP::Comparewith1Click);
  Exut1 = action(File1, "Exut1", "Exit", &TfrmEditSatTP::Exut1Click);
  File1->insertSeparator(ExportCSV1);
  File1->insertSeparator(Exut1);
  Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  Saveas1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  Edit3 = MainMenu1->addMenu(QStringLiteral("Edit"));
  Edit3->setObjectName(QStringLiteral("Edit3"));
  Undo1 = undoStack->createUndoAction(this, QStringLiteral("Undo"));
  Undo1->setObjectName(QStringLiteral("Undo1"));
  Undo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
  Redo1 = undoStack->createRedoAction(this, QStringLiteral("Redo"));
  Redo1->setObjectName(QStringLiteral("Redo1"));
  Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  Edit3->addAction(Undo1);
  Edit3->addAction(Redo1);
  Edit3->addSeparator();
  Find1 = action(Edit3, "Find1", "Find...", nullptr);
  Find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  FindNext1 = action(Edit3, "FindNext1", "Find next", nullptr);
  FindNext1->setShortcut(QKeySequence(Qt::Key_F3));
  SatCoDX1 = MainMenu1->addMenu(QStringLiteral("SatCoDX"));
  SatCoDX1->setObjectName(QStringLiteral("SatCoDX1"));
  Bysatcodx1 = action(SatCoDX1, "Bysatcodx1", "Load downloaded data", &TfrmEditSatTP::Bysatcodx1Click);
  DownloadandLoad1 =
      action(SatCoDX1, "DownloadandLoad1", "Internet download", &TfrmEditSatTP::DownloadandLoad1Click);
  // Disabled by design: the buttons reach the same commands.
  SatCoDX1->setEnabled(false);
  SatCoDX1->menuAction()->setEnabled(false);

  // Buttons.
  auto button = [this](const char* name, const char* caption, int index, void (TfrmEditSatTP::*handler)()) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setGeometry(kMargin + index * (kButtonWidth + kMargin), kButtonTop, kButtonWidth, kButtonHeight);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
  };
  Button1 = button("Button1", "Load downloaded data", 0, &TfrmEditSatTP::Button1Click);
  Button2 = button("Button2", "Internet download", 1, &TfrmEditSatTP::Button2Click);
  Button3 = button("Button3", "Update channel data", 2, &TfrmEditSatTP::Button3Click);

  // The three lists with their caption panels.
  const QFont fixed = FixedPitchFont();
  auto list = [this, &fixed](const char* name) {
    auto* l = new OrvaneListBox(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(fixed);
    return l;
  };
  const int satLeft = kMargin;
  const int tpLeft = satLeft + kSatelliteWidth + kMargin;
  const int chLeft = tpLeft + kTransponderWidth + kMargin;
  pnSatelliteList = CaptionPanel(this, "pnSatelliteList", "Satellite list", satLeft, kSatelliteWidth);
  lbSatelliteNameList = list("lbSatelliteNameList");
  pnTransponderList = CaptionPanel(this, "pnTransponderList", "Transponder list", tpLeft, kTransponderWidth);
  lbTransponderList = list("lbTransponderList");
  pnManualAnalogChannelList =
      CaptionPanel(this, "pnManualAnalogChannelList", "Manual/Analog channel list", chLeft,
                   kWidth - 4 * kMargin - kSatelliteWidth - kTransponderWidth);
  lbManualAnalogChannelList = list("lbManualAnalogChannelList");
  satellites_ = new core::SatelliteListModel(db(), this);
  satellites_->setObjectName(QStringLiteral("satelliteModel"));
  transponders_ = new core::TransponderListModel(db(), this);
  transponders_->setObjectName(QStringLiteral("transponderModel"));
  channels_ = new core::ChannelListModel(db(), this);
  channels_->setObjectName(QStringLiteral("channelModel"));
  lbSatelliteNameList->setModel(satellites_);
  lbTransponderList->setModel(transponders_);
  lbManualAnalogChannelList->setModel(channels_);

  pnStatusInfo = new QLabel(this);
  pnStatusInfo->setObjectName(QStringLiteral("pnStatusInfo"));
  pnStatusInfo->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  // Pop-up menus.
  pmSatelliteList = new QMenu(this);
  pmSatelliteList->setObjectName(QStringLiteral("pmSatelliteList"));
  Edit1 = action(pmSatelliteList, "Edit1", "Edit", &TfrmEditSatTP::Edit1Click);
  Add3 = action(pmSatelliteList, "Add3", "Add", &TfrmEditSatTP::Add3Click);
  Delete1 = action(pmSatelliteList, "Delete1", "Delete", &TfrmEditSatTP::Delete1Click);
  Move2 = action(pmSatelliteList, "Move2", "Move", &TfrmEditSatTP::Move2Click);
  Sortbyname1 = action(pmSatelliteList, "Sortbyname1", "Sort by name", &TfrmEditSatTP::Sortbyname1Click);
  Sortbydegree2 =
      action(pmSatelliteList, "Sortbydegree2", "Sort by degree", &TfrmEditSatTP::Sortbydegree2Click);

  pmTransponderPopupMenu = new QMenu(this);
  pmTransponderPopupMenu->setObjectName(QStringLiteral("pmTransponderPopupMenu"));
  pmEditTransponder =
      action(pmTransponderPopupMenu, "pmEditTransponder", "Edit", &TfrmEditSatTP::pmEditTransponderClick);
  Add2 = action(pmTransponderPopupMenu, "Add2", "Add", &TfrmEditSatTP::Add2Click);
  DeleteTp = action(pmTransponderPopupMenu, "DeleteTp", "Delete", &TfrmEditSatTP::DeleteTpClick);
  Move1 = action(pmTransponderPopupMenu, "Move1", "Move", &TfrmEditSatTP::Move1Click);
  Sortbyfrequency1 = action(pmTransponderPopupMenu, "Sortbyfrequency1", "Sort by frequency",
                            &TfrmEditSatTP::Sortbyfrequency1Click);
  SorybyKUC1 = action(pmTransponderPopupMenu, "SorybyKUC1", "Sory by KU->C", &TfrmEditSatTP::SorybyKUC1Click);
  SortbyAD1 = action(pmTransponderPopupMenu, "SortbyAD1", "Sort by AD", &TfrmEditSatTP::SortbyAD1Click);
  SortbyDA1 = action(pmTransponderPopupMenu, "SortbyDA1", "Sort by DA", &TfrmEditSatTP::SortbyDA1Click);
  CopyAllTPs1 =
      action(pmTransponderPopupMenu, "CopyAllTPs1", "Copy All TPs", &TfrmEditSatTP::CopyAllTPs1Click);
  PasteTPs1 = action(pmTransponderPopupMenu, "PasteTPs1", "Paste TPs", &TfrmEditSatTP::PasteTPs1Click);
  SelectDuplicates1 = action(pmTransponderPopupMenu, "SelectDuplicates1", "Select duplicates",
                             &TfrmEditSatTP::SelectDuplicates1Click);

  pmManualAnalogChannel = new QMenu(this);
  pmManualAnalogChannel->setObjectName(QStringLiteral("pmManualAnalogChannel"));
  Edit2 = action(pmManualAnalogChannel, "Edit2", "Edit", &TfrmEditSatTP::Edit2Click);
  Add1 = action(pmManualAnalogChannel, "Add1", "Add", &TfrmEditSatTP::Add1Click);
  Delete2 = action(pmManualAnalogChannel, "Delete2", "Delete", &TfrmEditSatTP::Delete2Click);
  Move3 = action(pmManualAnalogChannel, "Move3", "Move", &TfrmEditSatTP::Move3Click);

  // List events.
  connect(lbSatelliteNameList, &OrvaneListBox::MouseDown, this, &TfrmEditSatTP::lbSatelliteNameListMouseDown);
  connect(lbSatelliteNameList, &OrvaneListBox::KeyUp, this, &TfrmEditSatTP::lbSatelliteNameListKeyUp);
  connect(lbTransponderList, &OrvaneListBox::MouseDown, this, &TfrmEditSatTP::lbTransponderListMouseDown);
  connect(lbTransponderList, &OrvaneListBox::KeyUp, this, &TfrmEditSatTP::lbTransponderListKeyUp);
  connect(lbManualAnalogChannelList, &OrvaneListBox::MouseDown, this,
          &TfrmEditSatTP::lbManualAnalogChannelListMouseDown);
  connect(lbSatelliteNameList, &QAbstractItemView::doubleClicked, this, &TfrmEditSatTP::Edit1Click);
  connect(lbTransponderList, &QAbstractItemView::doubleClicked, this, &TfrmEditSatTP::pmEditTransponderClick);
  connect(lbManualAnalogChannelList, &QAbstractItemView::doubleClicked, this, &TfrmEditSatTP::Edit2Click);
  auto dragOver = [this](OrvaneListBox* l, DragMode mode) {
    connect(l, &OrvaneListBox::DragOver, this,
            [this, mode](int, bool* accept) { *accept = dragMode_ == mode; });
  };
  dragOver(lbSatelliteNameList, kDragSatellites);
  dragOver(lbTransponderList, kDragTransponders);
  dragOver(lbManualAnalogChannelList, kDragChannels);
  connect(lbSatelliteNameList, &OrvaneListBox::DragDrop, this, &TfrmEditSatTP::lbSatelliteNameListDragDrop);
  connect(lbTransponderList, &OrvaneListBox::DragDrop, this, &TfrmEditSatTP::lbTransponderListDragDrop);
  connect(lbManualAnalogChannelList, &OrvaneListBox::DragDrop, this,
          &TfrmEditSatTP::lbManualAnalogChannelListDragDrop);
  // The keyboard reaches the same commands as the mouse: Delete, and the pop-up menu at the current row.
  connect(lbSatelliteNameList, &OrvaneListBox::DeleteKey, this, &TfrmEditSatTP::Delete1Click);
  connect(lbTransponderList, &OrvaneListBox::DeleteKey, this, &TfrmEditSatTP::DeleteTpClick);
  connect(lbManualAnalogChannelList, &OrvaneListBox::DeleteKey, this, &TfrmEditSatTP::Delete2Click);
  connect(lbSatelliteNameList, &OrvaneListBox::PopupKey, this,
          [this](QPoint at) { lbSatelliteNameListMouseDown(Qt::RightButton, at); });
  connect(lbTransponderList, &OrvaneListBox::PopupKey, this,
          [this](QPoint at) { lbTransponderListMouseDown(Qt::RightButton, at); });
  connect(lbManualAnalogChannelList, &OrvaneListBox::PopupKey, this,
          [this](QPoint at) { lbManualAnalogChannelListMouseDown(Qt::RightButton, at); });

  // The find bar under the lists, hidden until asked for; the lists give it room while it shows.
  findBar = new core::FindBar(this);
  findBar->SetDatabase(&db());
  findBar->hide();
  findBar->installEventFilter(this);
  connect(Find1, &QAction::triggered, findBar, &core::FindBar::Activate);
  connect(FindNext1, &QAction::triggered, findBar, &core::FindBar::FindNext);
  connect(findBar, &core::FindBar::MatchChosen, this, &TfrmEditSatTP::findBarMatchChosen);
  connect(undoStack, &QUndoStack::indexChanged, findBar, &core::FindBar::Invalidate);

  PlaceComponents(kWidth, kHeight);

  // "Update channel data" ends in the software update tool; without it the button would only pretend.
  if (!app_.softwareUpdate) {
    Button3->setEnabled(false);
    Button3->setToolTip(QStringLiteral("The software update tool is not part of this build yet."));
  }
}

TfrmEditSatTP::~TfrmEditSatTP() {
  // The history is deleted with the other children, and clearing itself on the way out it reports the clean
  // state and index once more: that must not reach this half-destroyed window.
  undoStack->disconnect();
}

// ---- Lookups
// ------------------------------------------------------------------------------------------------

DATABASESATELLITETABLE& TfrmEditSatTP::db() {
  return app_.program().database;
}
DATABASESATELLITEINFO& TfrmEditSatTP::satellite() {
  return db().satellites[static_cast<std::size_t>(currentSatellite_)];
}
DATABASETRANSPONDERINFO& TfrmEditSatTP::transponder() {
  return satellite().transponders[static_cast<std::size_t>(currentTransponder_)];
}
TfrmEditSatelliteInfomation* TfrmEditSatTP::satelliteDialog() const {
  return &app_.windows().Get<TfrmEditSatelliteInfomation>();
}
TfrmEditTransponderInfo* TfrmEditSatTP::transponderDialog() const {
  return &app_.windows().Get<TfrmEditTransponderInfo>();
}
TfrmEditDigitalChannel* TfrmEditSatTP::digitalDialog() const {
  return &app_.windows().Get<TfrmEditDigitalChannel>();
}
TfrmAnalogChannelInfomation* TfrmEditSatTP::analogDialog() const {
  return &app_.windows().Get<TfrmAnalogChannelInfomation>();
}
TfrmSelectSatelliteList* TfrmEditSatTP::selectionWindow() const {
  return &app_.windows().Get<TfrmSelectSatelliteList>();
}

// ---- Refilling
// ------------------------------------------------------------------------------------------------

const std::vector<int>& TfrmEditSatTP::satelliteRowSlots() const {
  return satellites_->RowSlots();
}

void TfrmEditSatTP::ShowSatelliteRows(const std::vector<int>& rowSlots) {
  satellites_->ShowRows(rowSlots);
}

void TfrmEditSatTP::RefillSatelliteList() {
  if (findBar) findBar->Invalidate();  // the model may have changed outside the undo history
  ShowSatelliteRows(core::SatelliteRowSlots(db()));
  const auto& rowSlots = satellites_->RowSlots();
  RefillTransponderList(rowSlots.empty() ? 0 : rowSlots.front());
}

void TfrmEditSatTP::RefillTransponderList(int satelliteSlot) {
  currentSatellite_ = std::clamp(satelliteSlot, 0, kSatelliteSlots - 1);
  transponders_->ShowSatellite(currentSatellite_);
  if (transponders_->rowCount() > 0) lbTransponderList->SetCurrentRow(0);
  RefillChannelList(currentSatellite_, 0);
  UpdateStatusLine();
}

void TfrmEditSatTP::RefillChannelList(int satelliteSlot, int transponderSlot) {
  currentSatellite_ = std::clamp(satelliteSlot, 0, kSatelliteSlots - 1);
  currentTransponder_ = std::clamp(transponderSlot, 0, kTransponderSlots - 1);
  const auto& tp = transponder();
  currentAnalog_ = tp.analog();
  channels_->ShowTransponder(currentSatellite_, currentTransponder_);
  if (channels_->rowCount() > 0) lbManualAnalogChannelList->SetCurrentRow(0);
}

void TfrmEditSatTP::UpdateStatusLine() {
  int selectedSlot = -1;
  const auto& rowSlots = satellites_->RowSlots();
  const int current = lbSatelliteNameList->CurrentRow();
  if (current >= 0 && current < static_cast<int>(rowSlots.size()) && lbSatelliteNameList->IsRowSelected(current)) {
    selectedSlot = rowSlots[static_cast<std::size_t>(current)];
  } else {
    const auto selected = lbSatelliteNameList->SelectedRows();
    const auto it = std::find(selected.begin(), selected.end(), true);
    if (it != selected.end() && it - selected.begin() < static_cast<std::ptrdiff_t>(rowSlots.size()))
      selectedSlot = rowSlots[static_cast<std::size_t>(it - selected.begin())];
  }
  pnStatusInfo->setText(Latin1(core::StatusLine(db(), lbSatelliteNameList->RowCount(), selectedSlot)));
}

void TfrmEditSatTP::MakeSatelliteCurrent() {
  const int row = lbSatelliteNameList->CurrentRow();
  const auto& rowSlots = satellites_->RowSlots();
  if (row < 0 || row >= static_cast<int>(rowSlots.size())) return;
  RefillTransponderList(rowSlots[static_cast<std::size_t>(row)]);
}

void TfrmEditSatTP::MakeTransponderCurrent() {
  const int row = lbTransponderList->CurrentRow();
  if (row < 0 || row >= lbTransponderList->RowCount()) return;
  RefillChannelList(currentSatellite_, row);
}

// ---- Geometry, caption, keys, closing
// ------------------------------------------------------------------------

// At the designed size every component sits where it was designed to; a larger window gives the extra width
// to the three lists and the extra height to all of them.
void TfrmEditSatTP::PlaceComponents(int width, int height) {
  MainMenu1->setGeometry(0, 0, width, MainMenu1->sizeHint().height());
  const int extra = std::max(0, width - kWidth);
  const int satWidth = kSatelliteWidth + extra * kSatelliteShare / 100;
  const int tpWidth = kTransponderWidth + extra * kTransponderShare / 100;
  const int chWidth = width - 4 * kMargin - satWidth - tpWidth;
  const int satLeft = kMargin;
  const int tpLeft = satLeft + satWidth + kMargin;
  const int chLeft = tpLeft + tpWidth + kMargin;
  const int statusTop = height - kMargin - kStatusHeight;
  int listHeight = statusTop - kMargin - kListTop;
  if (findBar && findBar->isVisibleTo(this)) {
    const int barHeight = findBar->sizeHint().height();
    listHeight -= barHeight + kMargin;
    findBar->setGeometry(kMargin, kListTop + listHeight + kMargin, width - 2 * kMargin, barHeight);
  }
  pnSatelliteList->setGeometry(satLeft, kCaptionTop, satWidth, kCaptionHeight);
  lbSatelliteNameList->setGeometry(satLeft, kListTop, satWidth, listHeight);
  pnTransponderList->setGeometry(tpLeft, kCaptionTop, tpWidth, kCaptionHeight);
  lbTransponderList->setGeometry(tpLeft, kListTop, tpWidth, listHeight);
  pnManualAnalogChannelList->setGeometry(chLeft, kCaptionTop, chWidth, kCaptionHeight);
  lbManualAnalogChannelList->setGeometry(chLeft, kListTop, chWidth, listHeight);
  pnStatusInfo->setGeometry(kMargin, statusTop, width - 2 * kMargin, kStatusHeight);
}

bool TfrmEditSatTP::eventFilter(QObject* watched, QEvent* event) {
  if (watched == findBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    PlaceComponents(width(), height());
  return QDialog::eventFilter(watched, event);
}

void TfrmEditSatTP::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlaceComponents(event->size().width(), event->size().height());
}

void TfrmEditSatTP::keyPressEvent(QKeyEvent* event) {
  // Escape would close the editor as a dialog; its edits would then be gone at the next showing.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmEditSatTP::closeEvent(QCloseEvent* event) {
  if (!MaySetEditsAside()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool TfrmEditSatTP::hasUnsavedEdits() const {
  return !undoStack->isClean();
}

void TfrmEditSatTP::SetCaption(const QString& caption) {
  caption_ = caption;
  UpdateCaption();
}

void TfrmEditSatTP::UpdateCaption() {
  if (holdCaption_) return;
  const bool modified = hasUnsavedEdits();
  setWindowTitle(modified ? caption_ + QStringLiteral(" [*]") : caption_);
  setWindowModified(modified);
}

bool TfrmEditSatTP::MaySetEditsAside() {
  if (!hasUnsavedEdits()) return true;
  switch (app_.prompts().AskSaveDiscardCancel(kSaveQuestion, caption_)) {
    case SaveChoice::Save:
      return SaveWithDialog();
    case SaveChoice::Discard:
      return true;
    case SaveChoice::Cancel:
      break;
  }
  return false;
}

// ---- Undo and redo
// -------------------------------------------------------------------------------------------

orvane::editor::ShowPlace TfrmEditSatTP::Shower() {
  return [this](const core::EditorPlace& place) { ShowPlace(place); };
}

void TfrmEditSatTP::Push(std::unique_ptr<core::ModelCommand> command) {
  undoStack->push(command.release());
  findBar->Invalidate();  // also when a full history drops its oldest step and the index stays
}

void TfrmEditSatTP::PushLoaded(const std::string& before, const QString& text) {
  holdCaption_ = true;
  Push(core::ReplacedModel(db(), before, snapshotScratch_, text, Place(), Shower()));
  undoStack->setClean();
  holdCaption_ = false;
}

std::size_t TfrmEditSatTP::UndoHistoryBytes() const {
  std::size_t bytes = 0;
  for (int i = 0; i < undoStack->count(); ++i)
    if (const auto* c = dynamic_cast<const core::ModelCommand*>(undoStack->command(i)))
      bytes += c->HeldBytes();
  return bytes;
}

void TfrmEditSatTP::ShowPlace(const core::EditorPlace& place) {
  findBar->Invalidate();
  ShowSatelliteRows(core::SatelliteRowSlots(db()));
  const auto& rowSlots = satellites_->RowSlots();
  int slot = rowSlots.empty() ? 0 : rowSlots.front();
  if (const int row = satellites_->RowOf(place.satellite); row >= 0) {
    slot = place.satellite;
    lbSatelliteNameList->SetCurrentRow(row);
  }
  RefillTransponderList(slot);
  const int rows = lbTransponderList->RowCount();
  if (rows > 0 && place.transponder > 0) {
    const int row = std::min(place.transponder, rows - 1);
    lbTransponderList->SetCurrentRow(row);
    RefillChannelList(slot, row);
  }
  UpdateStatusLine();
}

// A step on the current satellite's transponders: worked on a copy, kept when it changed something.
void TfrmEditSatTP::ChangeSatellite(const QString& text,
                                    const std::function<void(DATABASESATELLITEINFO&)>& change) {
  auto after = std::make_unique<DATABASESATELLITEINFO>(satellite());
  change(*after);
  if (*after == satellite()) return;
  Push(core::SetSatellite(satellite(), std::move(after), text, Place(), Shower()));
}

void TfrmEditSatTP::ChangeTransponder(const QString& text,
                                      const std::function<void(DATABASETRANSPONDERINFO&)>& change) {
  DATABASETRANSPONDERINFO after = transponder();
  change(after);
  if (after == transponder()) return;
  Push(core::SetTransponder(transponder(), std::move(after), text, Place(), Shower()));
}

// ---- Activation, import, download
// --------------------------------------------------------------------------

void TfrmEditSatTP::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmEditSatTP::FormActivate() {
  // Showing the editor loads the downloaded data again; unsaved edits are not dropped without asking.
  if (!MaySetEditsAside()) return;
  *clipboard_ = DATABASESATELLITEINFO{};
  satellites_->Clear();
  transponders_->Clear();
  channels_->Clear();
  RunImport();
}

void TfrmEditSatTP::Button1Click() {
  Bysatcodx1Click();
}

// After an import, complete or not, the lists show what the model holds.
void TfrmEditSatTP::ShowAfterImport() {
  std::vector<int> rowSlots;
  for (const auto& row : orvane::satcodx::ImportSatelliteRows(db())) rowSlots.push_back(row.slot);
  ShowSatelliteRows(rowSlots);
  RefillTransponderList(0);
}

// Index lines the import passed over for a file name that is a path, one warning for all.
static void WarnRefusedNames(orvane::ui::Prompts& prompts, const std::vector<std::string>& refused) {
  if (refused.empty()) return;
  QStringList lines;
  for (const auto& r : refused) lines << QString::fromLocal8Bit(r);
  prompts.Message(QStringLiteral("Passed over:\n") + lines.join('\n'), orvane::ui::MessageKind::Warning);
}

void TfrmEditSatTP::Bysatcodx1Click() {
  if (!MaySetEditsAside()) return;
  RunImport();
}

// The import replaces the model, also when it fails part-way (the lists then show what it left): either way
// it is one step that undo takes back, and the model then matches what is on disk.
void TfrmEditSatTP::RunImport() {
  core::SnapshotModel(db(), snapshotBefore_);
  const std::string& before = snapshotBefore_;
  orvane::satcodx::ImportReport report;
  try {
    report = orvane::satcodx::ImportSatcodx(db(), ".");
  } catch (const std::exception& e) {
    PushLoaded(before, QStringLiteral("Load downloaded data"));
    ShowAfterImport();
    UpdateCaption();
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
    return;
  }
  PushLoaded(before, QStringLiteral("Load downloaded data"));
  ShowAfterImport();
  WarnRefusedNames(app_.prompts(), report.refusedNames);
  SetCaption(QString::fromLatin1(orvane::satcodx::kImportCaption));
  UpdateStatusLine();
}

void TfrmEditSatTP::Button2Click() {
  if (auto* w = selectionWindow()) app_.ShowModal(*w);
  DownloadandLoad1Click();
}

void TfrmEditSatTP::DownloadandLoad1Click() {
  std::vector<bool> marked;
  if (auto* w = selectionWindow()) marked = w->MarkedRows();
  // Nothing marked: nothing is fetched or imported, so nothing would be lost either.
  if (std::find(marked.begin(), marked.end(), true) == marked.end()) return;
  if (!MaySetEditsAside()) return;
  orvane::satcodx::DownloadHooks hooks;
  hooks.setCaption = [this](const std::string& caption) { SetCaption(Latin1(caption)); };
  hooks.processEvents = [] { QApplication::processEvents(); };
  core::SnapshotModel(db(), snapshotBefore_);
  const std::string& before = snapshotBefore_;
  orvane::satcodx::DownloadReport report;
  try {
    report = orvane::satcodx::DownloadAndLoad(db(), marked, *downloadBuffer_, &OpenUrl, hooks, ".");
  } catch (const std::exception& e) {
    // The import at the end may have failed part-way: show what the model holds.
    PushLoaded(before, QStringLiteral("Internet download"));
    ShowAfterImport();
    UpdateCaption();
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
    return;
  }
  if (report.marked == 0) return;  // nothing marked: nothing fetched, imported or captioned
  PushLoaded(before, QStringLiteral("Internet download"));
  ShowAfterImport();
  WarnRefusedNames(app_.prompts(), report.import.refusedNames);
  SetCaption(QString::fromLatin1(orvane::satcodx::kImportCaption));
  UpdateStatusLine();
}

// ---- File commands
// --------------------------------------------------------------------------------------------

void TfrmEditSatTP::Open1Click() {
  if (!MaySetEditsAside()) return;
  orvane::ui::FileDialogRequest request;
  request.filter = QStringLiteral("*.tpd|*.tpd");
  request.fileName = QStringLiteral("sattpdat.tpd");
  request.initialDir = QStringLiteral(".");
  const auto path = app_.prompts().ChooseOpenFile(request);
  if (!path) return;
  auto& p = app_.program();
  core::SnapshotModel(db(), snapshotBefore_);
  const std::string& before = snapshotBefore_;
  core::OpenDatabaseFile(path->toLocal8Bit().toStdString(), p.database, p.satelliteImage,
                         p.satelliteNameTable, p.channelTable);
  PushLoaded(before, QStringLiteral("Open"));
  RefillSatelliteList();
  if (lbTransponderList->RowCount() > 0) lbTransponderList->SetCurrentRow(0);
  SetCaption(*path);
}

// Converts and saves; a failed save is reported and returns false. Losses are reported when asked, so that
// the second file of a Save does not repeat them. `keepPrevious`: a file already there is first copied to
// NAME.bak, and nothing is written when that copy cannot be made.
bool TfrmEditSatTP::SaveTo(const QString& path, bool reportLosses, bool keepPrevious) {
  auto& p = app_.program();
  const std::string file = path.toLocal8Bit().toStdString();
  if (keepPrevious) {
    const std::string backup = file + ".bak";
    try {
      orvane::files::BackUpFile(file, backup);
    } catch (const orvane::files::FileError& e) {
      app_.prompts().Error(QString::fromLocal8Bit(("Could not keep the previous " + file + " as " + backup +
                                                   ": " + e.reason() + ". Nothing was written.")
                                                      .c_str()));
      return false;
    }
  }
  const core::SaveOutcome outcome =
      core::SaveDatabaseFile(file, p.database, core::NamedSatelliteSlots(satellites_->RowSlots()), p.satelliteImage,
                             p.satelliteNameTable, p.channelTable);
  if (!outcome.ok()) {
    app_.prompts().Error(QString::fromLocal8Bit(core::SaveFailureText(file, outcome).c_str()));
    return false;
  }
  if (reportLosses) {
    for (const auto& text : core::SaveLossTexts(file, outcome))
      app_.prompts().Message(QString::fromLocal8Bit(text.c_str()), orvane::ui::MessageKind::Warning);
  }
  return true;
}

bool TfrmEditSatTP::SaveWithDialog() {
  SaveDialog1FileName = QString::fromLatin1(core::kDefaultDatabasePath);
  orvane::ui::FileDialogRequest request;
  request.filter = QStringLiteral("*.tpd|*.tpd");
  request.filterIndex = 1;
  request.initialDir = QStringLiteral(".");
  request.fileName = SaveDialog1FileName;
  const auto path = app_.prompts().ChooseSaveFile(request);
  if (!path) return false;
  SaveDialog1FileName = *path;
  if (!SaveTo(*path, true, true)) return false;
  undoStack->setClean();
  SetCaption(*path);
  SaveTo(QString::fromLatin1(core::kLatestDatabasePath), false);
  return true;
}

void TfrmEditSatTP::Saveas1Click() {
  SaveWithDialog();
}

void TfrmEditSatTP::Button3Click() {
  if (!SaveTo(QString::fromLatin1(core::kLatestDatabasePath), true)) return;  // never send a stale file
  SetCaption(SaveDialog1FileName);
  if (auto& launch = app_.softwareUpdate) launch(1);
}

void TfrmEditSatTP::Exut1Click() {
  close();
}

void TfrmEditSatTP::ExportCSV1Click() {
  core::ExportCsvDialog(app_, db());
}

void TfrmEditSatTP::Comparewith1Click() {
  core::CompareWithDialog(app_, db(), this);
}

void TfrmEditSatTP::findBarMatchChosen(core::FindMatch match) {
  int row = satellites_->RowOf(match.satellite);
  if (row < 0) {
    // The rows may be older than the model (changed behind the lists' back): show it again and look once
    // more.
    ShowSatelliteRows(core::SatelliteRowSlots(db()));
    row = satellites_->RowOf(match.satellite);
    if (row < 0) return;
  }
  lbSatelliteNameList->SetCurrentRow(row);
  RefillTransponderList(match.satellite);
  if (match.transponder >= 0 && match.transponder < lbTransponderList->RowCount()) {
    lbTransponderList->SetCurrentRow(match.transponder);
    RefillChannelList(match.satellite, match.transponder);
    if (match.channel >= 0 && match.channel < lbManualAnalogChannelList->RowCount())
      lbManualAnalogChannelList->SetCurrentRow(match.channel);
  }
  UpdateStatusLine();
}

// ---- Mouse, keys, pop-ups, drag and drop
// -----------------------------------------------------------------------

void TfrmEditSatTP::OpenPopup(OrvaneListBox* list, QMenu* menu, QPoint globalPosition, bool evenWhenEmpty) {
  if (list->RowCount() == 0 && !evenWhenEmpty) return;
  if (list->RowCount() > 0 && list->selectionModel()->selectedIndexes().isEmpty()) list->SetCurrentRow(0);
  lastPopup_ = menu;
  if (showPopupMenus) menu->popup(globalPosition);
}

void TfrmEditSatTP::lbSatelliteNameListMouseDown(Qt::MouseButton button, QPoint globalPosition) {
  if (button == Qt::RightButton) {
    OpenPopup(lbSatelliteNameList, pmSatelliteList, globalPosition, false);
    return;
  }
  MakeSatelliteCurrent();
}

void TfrmEditSatTP::lbSatelliteNameListKeyUp() {
  if (lbSatelliteNameList->RowCount() > 0) MakeSatelliteCurrent();
}

void TfrmEditSatTP::lbTransponderListMouseDown(Qt::MouseButton button, QPoint globalPosition) {
  if (button == Qt::RightButton) {
    OpenPopup(lbTransponderList, pmTransponderPopupMenu, globalPosition, true);
    return;
  }
  MakeTransponderCurrent();
}

void TfrmEditSatTP::lbTransponderListKeyUp() {
  MakeTransponderCurrent();
}

void TfrmEditSatTP::lbManualAnalogChannelListMouseDown(Qt::MouseButton button, QPoint globalPosition) {
  if (button == Qt::RightButton)
    OpenPopup(lbManualAnalogChannelList, pmManualAnalogChannel, globalPosition, true);
}

void TfrmEditSatTP::StartMove(OrvaneListBox* list, DragMode mode) {
  dragMode_ = mode;
  list->StartDrag();
  dragMode_ = kDragNone;  // a drag given up without a drop ends here as well
}

void TfrmEditSatTP::lbSatelliteNameListDragDrop(int row) {
  dragMode_ = kDragNone;
  if (row < 0 || row >= lbSatelliteNameList->RowCount()) return;
  const auto selected = lbSatelliteNameList->SelectedRows();
  if (selected.size() != satellites_->RowSlots().size()) return;
  auto order = core::DropOrder(selected, row);
  if (!order.empty() && !core::IsIdentityOrder(order))
    Push(core::ReorderSatellites(db(), satellites_->RowSlots(), std::move(order), QStringLiteral("Move satellites"),
                                 Place(), Shower()));
  RefillSatelliteList();
}

void TfrmEditSatTP::lbTransponderListDragDrop(int row) {
  dragMode_ = kDragNone;
  if (row < 0 || row >= lbTransponderList->RowCount()) return;
  const auto selected = lbTransponderList->SelectedRows();
  ChangeSatellite(QStringLiteral("Move transponders"),
                  [&](DATABASESATELLITEINFO& sat) { core::DropTransponders(sat, selected, row); });
  RefillTransponderList(currentSatellite_);
}

void TfrmEditSatTP::lbManualAnalogChannelListDragDrop(int row) {
  dragMode_ = kDragNone;
  if (row < 0 || row >= lbManualAnalogChannelList->RowCount()) return;
  const auto selected = lbManualAnalogChannelList->SelectedRows();
  ChangeTransponder(QStringLiteral("Move channels"),
                    [&](DATABASETRANSPONDERINFO& tp) { core::DropChannels(tp, selected, row); });
  RefillChannelList(currentSatellite_, currentTransponder_);
}

// ---- Satellites
// ---------------------------------------------------------------------------------------------

void TfrmEditSatTP::Edit1Click() {
  const int row = lbSatelliteNameList->CurrentRow();
  auto* dialog = satelliteDialog();
  if (!dialog || row < 0 || row >= static_cast<int>(satellites_->RowSlots().size())) return;
  const int slot = satellites_->RowSlots()[static_cast<std::size_t>(row)];
  const auto& sat = db().satellites[static_cast<std::size_t>(slot)];
  core::Fill(*dialog, sat);
  app_.ShowModal(*dialog);
  if (dialog->EditResult != 0) return;
  core::SatelliteHeader after = core::Read(*dialog);
  if (after.name != sat.name || after.diseqc != sat.diseqc || after.eastPosition != sat.eastPosition)
    Push(core::SetSatelliteHeader(db(), slot, std::move(after), QStringLiteral("Edit satellite"),
                                  {slot, currentTransponder_}, Shower()));
  satellites_->RowChanged(row);
}

void TfrmEditSatTP::Add3Click() {
  auto* dialog = satelliteDialog();
  if (!dialog) return;
  dialog->Clear();
  app_.ShowModal(*dialog);
  if (dialog->EditResult != 0 || lbSatelliteNameList->RowCount() >= kSatelliteSlots) return;
  // The first slot that is neither used nor shown by a row: slot "number of rows" while the used slots come
  // first, as they do after every refill.
  int slot = -1;
  for (int s = 0; s < kSatelliteSlots && slot < 0; ++s) {
    const bool shown = satellites_->RowOf(s) >= 0;
    if (!shown && !SatelliteSlotUsed(db().satellites[static_cast<std::size_t>(s)])) slot = s;
  }
  if (slot < 0) return;
  Push(core::SetSatelliteHeader(db(), slot, core::Read(*dialog), QStringLiteral("Add satellite"), Place(),
                                Shower()));
  satellites_->AppendRow(slot);
}

void TfrmEditSatTP::Delete1Click() {
  if (lbSatelliteNameList->RowCount() == 0) return;
  const auto selected = lbSatelliteNameList->SelectedRows();
  if (selected.size() != satellites_->RowSlots().size()) return;
  if (std::find(selected.begin(), selected.end(), true) != selected.end())
    Push(core::DeleteSatelliteRows(db(), satellites_->RowSlots(), selected, QStringLiteral("Delete satellites"),
                                   Place(), Shower()));
  RefillSatelliteList();
}

void TfrmEditSatTP::Move2Click() {
  if (lbSatelliteNameList->RowCount() == 0) return;
  StartMove(lbSatelliteNameList, kDragSatellites);
}

template <class Order>
void TfrmEditSatTP::SortSatellites(Order order, const QString& text) {
  if (lbSatelliteNameList->RowCount() == 0) return;
  WaitCursor wait(lbSatelliteNameList);
  auto rows = order(db(), satellites_->RowSlots());
  if (!core::IsIdentityOrder(rows))
    Push(core::ReorderSatellites(db(), satellites_->RowSlots(), std::move(rows), text, Place(), Shower()));
  RefillSatelliteList();
}

void TfrmEditSatTP::Sortbyname1Click() {
  SortSatellites(core::SatelliteNameOrder, QStringLiteral("Sort by name"));
}
void TfrmEditSatTP::Sortbydegree2Click() {
  SortSatellites(core::SatelliteDegreeOrder, QStringLiteral("Sort by degree"));
}

// ---- Transponders
// -------------------------------------------------------------------------------------------

void TfrmEditSatTP::pmEditTransponderClick() {
  auto* dialog = transponderDialog();
  if (!dialog || lbTransponderList->RowCount() == 0 || currentTransponder_ >= lbTransponderList->RowCount()) return;
  auto& tp = transponder();
  core::Fill(*dialog, tp);
  app_.ShowModal(*dialog);
  if (dialog->EditResult != 0) return;
  const core::TransponderFields before = core::FieldsOf(tp);
  const core::TransponderFields after = core::Read(*dialog, before);
  if (after.frequency != before.frequency || after.symbolRate != before.symbolRate ||
      after.polarity != before.polarity || after.fec != before.fec)
    Push(core::SetTransponderFields(tp, after, QStringLiteral("Edit transponder"), Place(), Shower()));
  transponders_->RowChanged(currentTransponder_);
  // A changed symbol rate can turn the transponder analog or digital: its channels then read the other way.
  RefillChannelList(currentSatellite_, currentTransponder_);
}

void TfrmEditSatTP::Add2Click() {
  auto* dialog = transponderDialog();
  const int n = lbTransponderList->RowCount();
  if (!dialog || lbSatelliteNameList->RowCount() == 0 || n >= kTransponderSlots) return;
  dialog->Clear();
  app_.ShowModal(*dialog);
  if (dialog->EditResult != 0) return;
  auto& tp = satellite().transponders[static_cast<std::size_t>(n)];
  Push(core::SetTransponderFields(tp, core::Read(*dialog, core::TransponderFields{}),
                                  QStringLiteral("Add transponder"), Place(), Shower()));
  transponders_->AppendRows(1);
  UpdateStatusLine();
}

void TfrmEditSatTP::DeleteTpClick() {
  if (lbTransponderList->RowCount() == 0) return;
  const auto selected = lbTransponderList->SelectedRows();
  ChangeSatellite(QStringLiteral("Delete transponders"),
                  [&](DATABASESATELLITEINFO& sat) { core::DeleteTransponders(sat, selected); });
  RefillTransponderList(currentSatellite_);
}

void TfrmEditSatTP::Move1Click() {
  if (lbTransponderList->RowCount() == 0) return;
  StartMove(lbTransponderList, kDragTransponders);
}

template <class Sort>
void TfrmEditSatTP::SortTransponders(Sort sort, const QString& text) {
  if (lbTransponderList->RowCount() == 0) return;
  WaitCursor wait(lbTransponderList);
  const int rows = lbTransponderList->RowCount();
  ChangeSatellite(text, [&](DATABASESATELLITEINFO& sat) { sort(sat, rows); });
  RefillTransponderList(currentSatellite_);
}

void TfrmEditSatTP::Sortbyfrequency1Click() {
  SortTransponders(core::SortTranspondersByFrequency, QStringLiteral("Sort by frequency"));
}
void TfrmEditSatTP::SorybyKUC1Click() {
  SortTransponders(core::SortTranspondersKuToC, QStringLiteral("Sory by KU->C"));
}
void TfrmEditSatTP::SortbyAD1Click() {
  SortTransponders(core::SortTranspondersAnalogFirst, QStringLiteral("Sort by AD"));
}
void TfrmEditSatTP::SortbyDA1Click() {
  SortTransponders(core::SortTranspondersDigitalFirst, QStringLiteral("Sort by DA"));
}

void TfrmEditSatTP::CopyAllTPs1Click() {
  *clipboard_ = satellite();
}

void TfrmEditSatTP::PasteTPs1Click() {
  const int from = lbTransponderList->RowCount();
  int pasted = 0;
  ChangeSatellite(QStringLiteral("Paste TPs"), [&](DATABASESATELLITEINFO& sat) {
    pasted = core::PasteTransponders(sat, from, *clipboard_);
  });
  transponders_->AppendRows(pasted);
  if (pasted > 0) UpdateStatusLine();
}

// Selects the rows that repeat an earlier kept row, ready for Delete; the current row stays the current one.
void TfrmEditSatTP::SelectDuplicates1Click() {
  if (lbTransponderList->RowCount() == 0) return;
  const std::vector<int> rows = core::DuplicateTransponderRows(satellite());
  lbTransponderList->clearSelection();
  for (int r : rows)
    if (r >= 0 && r < lbTransponderList->RowCount()) lbTransponderList->SetRowSelected(r, true);
  if (rows.empty())
    app_.prompts().Message(QStringLiteral("No transponder of this satellite repeats another one."));
}

// ---- Channels
// -------------------------------------------------------------------------------------------------

void TfrmEditSatTP::Edit2Click() {
  const int row = lbManualAnalogChannelList->CurrentRow();
  if (row < 0 || row >= lbManualAnalogChannelList->RowCount()) return;
  auto& ch = transponder().channels[static_cast<std::size_t>(row)];
  const bool analog = transponder().analog();
  DATABASECHANNELINFO after;
  if (analog) {
    auto* dialog = analogDialog();
    if (!dialog) return;
    core::Fill(*dialog, ch);
    app_.ShowModal(*dialog);
    if (dialog->EditResult != 0) return;
    after = core::Read(*dialog, ch);
  } else {
    auto* dialog = digitalDialog();
    if (!dialog) return;
    core::Fill(*dialog, ch);
    app_.ShowModal(*dialog);
    if (dialog->EditResult != 0) return;
    after = core::Read(*dialog, ch);
  }
  if (after != ch)
    Push(core::SetChannel(ch, std::move(after), QStringLiteral("Edit channel"), Place(), Shower()));
  channels_->RowChanged(row);
}

void TfrmEditSatTP::Add1Click() {
  if (lbSatelliteNameList->RowCount() == 0 || lbTransponderList->RowCount() == 0 ||
      lbManualAnalogChannelList->RowCount() >= kChannelSlots)
    return;
  MakeTransponderCurrent();
  const int m = lbManualAnalogChannelList->RowCount();
  if (m >= kChannelSlots) return;
  auto& ch = transponder().channels[static_cast<std::size_t>(m)];
  const bool analog = transponder().analog();
  DATABASECHANNELINFO after;
  if (analog) {
    auto* dialog = analogDialog();
    if (!dialog) return;
    dialog->Clear();
    app_.ShowModal(*dialog);
    if (dialog->EditResult != 0) return;
    after = core::Read(*dialog, DATABASECHANNELINFO{});
  } else {
    auto* dialog = digitalDialog();
    if (!dialog) return;
    dialog->Clear();
    app_.ShowModal(*dialog);
    if (dialog->EditResult != 0) return;
    after = core::Read(*dialog, DATABASECHANNELINFO{});
  }
  Push(core::SetChannel(ch, std::move(after), QStringLiteral("Add channel"), Place(), Shower()));
  channels_->AppendRows(1);
  UpdateStatusLine();
}

void TfrmEditSatTP::Delete2Click() {
  // On an empty list there is nothing selected to delete; clearing the slots would wipe unlisted channels.
  if (lbManualAnalogChannelList->RowCount() == 0) return;
  const auto selected = lbManualAnalogChannelList->SelectedRows();
  ChangeTransponder(QStringLiteral("Delete channels"),
                    [&](DATABASETRANSPONDERINFO& tp) { core::DeleteChannels(tp, selected); });
  RefillChannelList(currentSatellite_, currentTransponder_);
  UpdateStatusLine();
}

void TfrmEditSatTP::Move3Click() {
  if (lbManualAnalogChannelList->RowCount() == 0) return;
  StartMove(lbManualAnalogChannelList, kDragChannels);
}
