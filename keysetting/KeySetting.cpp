#include "keysetting/KeySetting.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>
#include <exception>

#include "ui/app_context.h"

namespace orvane::keysetting {

namespace {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 291;
constexpr int kColumnWidth = 75;
constexpr int kRowHeight = 21;
constexpr int kGridTop = 12;
constexpr int kGridFontPixels = 11;
constexpr int kButtonHeight = 31;
constexpr int kButtonGap = 8;
constexpr int kButtonMinWidth = 112;
constexpr int kButtonPadding = 24;  // room around the caption inside the frame

constexpr const char* kDialogFilter = "*.tpd|*.tpd";
constexpr const char* kDialogFileName = "sattpdat.tpd";

const char* const kColumnTitles[kGridColumns] = {
    "",
    "알고리즘",
    "Key 1",
    "Key 2",
    "실제 Video PID",
    "실제 Audio PID",
    "실제 PCR PID",
    "가상 Video PID",
    "가상 Audio PID",
    "가상 PCR PID",
};

QString Text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool IsFixed(int row, int col) {
  return row == 0 || col == 0;
}

}  // namespace

TfrmKeySetting::TfrmKeySetting(ui::AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("frmKeySetting");
  setWindowTitle("Key Setting Tool");
  setFixedSize(kClientWidth, kClientHeight);

  sgKeysetting = new QTableWidget(kGridRows, kGridColumns, this);
  sgKeysetting->setObjectName("sgKeysetting");
  // Row 0 and column 0 are the grid's own fixed cells, so that cell coordinates are those of the table.
  sgKeysetting->horizontalHeader()->hide();
  sgKeysetting->verticalHeader()->hide();
  sgKeysetting->horizontalHeader()->setMinimumSectionSize(1);
  sgKeysetting->verticalHeader()->setMinimumSectionSize(1);
  sgKeysetting->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
  sgKeysetting->verticalHeader()->setDefaultSectionSize(kRowHeight);
  sgKeysetting->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  sgKeysetting->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  sgKeysetting->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgKeysetting->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgKeysetting->setShowGrid(true);
  // A string grid clips what does not fit; the small grid font lets the row titles fit their 75 pixels.
  sgKeysetting->setTextElideMode(Qt::ElideNone);
  QFont gridFont = sgKeysetting->font();
  gridFont.setPixelSize(kGridFontPixels);
  sgKeysetting->setFont(gridFont);
  sgKeysetting->setSelectionMode(QAbstractItemView::SingleSelection);
  sgKeysetting->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  const QBrush fixedBack = palette().button();
  const QBrush fixedText = palette().buttonText();
  for (int row = 0; row < kGridRows; ++row) {
    for (int col = 0; col < kGridColumns; ++col) {
      auto* item = new QTableWidgetItem;
      if (IsFixed(row, col)) {
        // Not enabled, so neither a click nor the cursor keys make it current; drawn in normal text.
        item->setFlags(Qt::NoItemFlags);
        item->setBackground(fixedBack);
        item->setForeground(fixedText);
      } else if (col == column::kAlgorithm) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // chosen with cbAlgorithm
      } else {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
      }
      sgKeysetting->setItem(row, col, item);
    }
  }
  const int frame = 2 * sgKeysetting->frameWidth();
  const int gridWidth = kGridColumns * kColumnWidth + frame;
  const int gridHeight = kGridRows * kRowHeight + frame;
  sgKeysetting->setGeometry((kClientWidth - gridWidth) / 2, kGridTop, gridWidth, gridHeight);

  // Over the grid, so created after it.
  cbAlgorithm = new QComboBox(this);
  cbAlgorithm->setObjectName("cbAlgorithm");
  cbAlgorithm->addItems({Text(kNoneText), Text(kAlgorithm1Text), Text(kAlgorithm2Text)});
  cbAlgorithm->setFont(gridFont);
  cbAlgorithm->hide();

  struct ButtonSpec {
    QPushButton** button;
    const char* name;
    const char* caption;
  };
  const ButtonSpec specs[] = {
      {&Button1, "Button1", "가상 PID 구하기"}, {&Button6, "Button6", "실제 PID 구하기"},
      {&Button5, "Button5", "지우기"},          {&Button2, "Button2", "키값 저장"},
      {&Button4, "Button4", "키값 로드"},       {&Button3, "Button3", "끝내기"},
  };
  // One width for all six, wide enough for the longest caption in the font at hand.
  int width = kButtonMinWidth;
  for (const ButtonSpec& s : specs)
    width = std::max(width, fontMetrics().horizontalAdvance(QString::fromUtf8(s.caption)) + kButtonPadding);
  const int count = static_cast<int>(std::size(specs));
  const int rowWidth = count * width + (count - 1) * kButtonGap;
  int left = (kClientWidth - rowWidth) / 2;
  const int gridBottom = kGridTop + gridHeight;
  const int top = gridBottom + (kClientHeight - gridBottom - kButtonHeight) / 2;
  for (const ButtonSpec& s : specs) {
    auto* b = new QPushButton(QString::fromUtf8(s.caption), this);
    b->setObjectName(s.name);
    b->setAutoDefault(false);
    b->setGeometry(left, top, width, kButtonHeight);
    left += width + kButtonGap;
    *s.button = b;
  }

  for (ui::FileDialogRequest* d : {&SaveDialog1, &OpenDialog1}) {
    d->filter = kDialogFilter;
    d->filterIndex = 1;
    d->initialDir = ".";
    d->fileName = kDialogFileName;
  }

  connect(sgKeysetting, &QTableWidget::currentCellChanged, this,
          [this](int row, int col, int, int) { sgKeysettingSelectCell(col, row); });
  connect(cbAlgorithm, &QComboBox::activated, this, [this] { cbAlgorithmChange(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TfrmKeySetting::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  // Each opening, not each return of the focus (after a file dialog or a message the algorithms must stay).
  if (!e->spontaneous()) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormActivate();
  }
}

void TfrmKeySetting::FormActivate() {
  for (int col = 0; col < kGridColumns; ++col)
    sgKeysetting->item(0, col)->setText(QString::fromUtf8(kColumnTitles[col]));
  for (int row = 1; row <= kServiceCount; ++row)
    sgKeysetting->item(row, 0)->setText(QString::asprintf("Service ID %d", row));
  cbAlgorithm->setCurrentIndex(cbAlgorithm->findText(Text(kNoneText)));
  for (int row = 1; row <= kServiceCount; ++row)
    sgKeysetting->item(row, column::kAlgorithm)->setText(Text(kNoneText));
  {
    const QSignalBlocker block(sgKeysetting);  // the selection handler runs once, below, even when unchanged
    sgKeysetting->setCurrentCell(1, column::kKey1);
  }
  sgKeysettingSelectCell(column::kKey1, 1);
}

void TfrmKeySetting::sgKeysettingSelectCell(int ACol, int ARow) {
  selectedCol_ = ACol;
  selectedRow_ = ARow;
  if (ACol != column::kAlgorithm || ARow < 1) {
    cbAlgorithm->hide();
    return;
  }
  const QRect cell = sgKeysetting->visualRect(sgKeysetting->model()->index(ARow, ACol));
  cbAlgorithm->setGeometry(QRect(sgKeysetting->viewport()->mapTo(this, cell.topLeft()), cell.size()));
  cbAlgorithm->setCurrentIndex(cbAlgorithm->findText(sgKeysetting->item(ARow, ACol)->text()));
  cbAlgorithm->setEnabled(true);
  cbAlgorithm->show();
  cbAlgorithm->raise();
  cbAlgorithm->setFocus();
}

void TfrmKeySetting::cbAlgorithmChange() {
  if (QTableWidgetItem* cell = sgKeysetting->item(selectedRow_, selectedCol_))
    cell->setText(cbAlgorithm->currentText());
}

KeyGrid TfrmKeySetting::ReadGrid() const {
  KeyGrid grid;
  for (int row = 0; row < kGridRows; ++row)
    for (int col = 0; col < kGridColumns; ++col)
      grid.at(row, col) = sgKeysetting->item(row, col)->text().toStdString();
  return grid;
}

void TfrmKeySetting::WriteGrid(const KeyGrid& grid) {
  for (int row = 1; row < kGridRows; ++row) {
    for (int col = 1; col < kGridColumns; ++col) {
      const QString text = QString::fromStdString(grid.at(row, col));
      QTableWidgetItem* cell = sgKeysetting->item(row, col);
      if (cell->text() != text) cell->setText(text);
    }
  }
}

void TfrmKeySetting::Compute(Direction direction) {
  KeyGrid grid = ReadGrid();
  ComputePids(grid, table_, direction);
  WriteGrid(grid);
}

void TfrmKeySetting::Button1Click() {
  Compute(Direction::RealToVirtual);
}

void TfrmKeySetting::Button6Click() {
  Compute(Direction::VirtualToReal);
}

void TfrmKeySetting::Button5Click() {
  KeyGrid grid = ReadGrid();
  ClearPids(grid);
  WriteGrid(grid);
}

void TfrmKeySetting::Button2Click() {
  const auto name = app_.prompts().ChooseSaveFile(SaveDialog1);
  if (!name) return;
  SaveDialog1.fileName = *name;
  table_.marker = kMarker;
  Button1Click();
  try {
    WriteKeyTable(name->toLocal8Bit().toStdString(), table_);
  } catch (const std::exception& e) {
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
  }
}

void TfrmKeySetting::Button4Click() {
  const auto name = app_.prompts().ChooseOpenFile(OpenDialog1);
  if (!name) return;
  OpenDialog1.fileName = *name;
  try {
    table_ = ReadKeyTable(name->toLocal8Bit().toStdString());
  } catch (const std::exception& e) {
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
    return;  // the grid and the table stay as they were
  }
  KeyGrid grid = ReadGrid();
  ShowTable(table_, grid);
  WriteGrid(grid);
}

void TfrmKeySetting::Button3Click() {
  close();
}

}  // namespace orvane::keysetting
