#include "editor/SelectDownSatelliteList.h"
#include "common/latin1.h"
#include "editor/list_box.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <exception>

#include "satcodx/satcodx_import.h"
#include "ui/app_context.h"

namespace {
constexpr int kWidth = 460;
constexpr int kHeight = 520;
constexpr int kMargin = 8;
constexpr int kPanelHeight = 28;
constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 30;

QString Latin1(const std::string& s) { return orvane::text::FromLatin1(s); }
}  // namespace

TfrmSelectSatelliteList::TfrmSelectSatelliteList(orvane::ui::AppContext& app, QWidget* parent)
    : QDialog(parent), app_(app) {
  setObjectName(QStringLiteral("frmSelectSatelliteList"));
  setWindowTitle(QStringLiteral("Select satellites to download"));
  setFixedSize(kWidth, kHeight);

  Panel2 = new QLabel(QStringLiteral("Press CTRL KEY + Mouse Left Button to select "), this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel2->setAlignment(Qt::AlignCenter);
  Panel2->setGeometry(0, 0, kWidth, kPanelHeight);

  const int listTop = kPanelHeight + kMargin;
  const int buttonTop = kHeight - kMargin - kButtonHeight;
  lbSelectSatelliteList = new QListWidget(this);
  lbSelectSatelliteList->setObjectName(QStringLiteral("lbSelectSatelliteList"));
  lbSelectSatelliteList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lbSelectSatelliteList->setFont(FixedPitchFont());
  lbSelectSatelliteList->setGeometry(kMargin, listTop, kWidth - 2 * kMargin, buttonTop - kMargin - listTop);

  lbHideSelectSatelliteList = new QListWidget(this);
  lbHideSelectSatelliteList->setObjectName(QStringLiteral("lbHideSelectSatelliteList"));
  lbHideSelectSatelliteList->setSelectionMode(QAbstractItemView::MultiSelection);
  lbHideSelectSatelliteList->setVisible(false);

  auto button = [this, buttonTop](const char* name, const char* caption, int index) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    const int gap = (kWidth - 3 * kButtonWidth) / 4;
    b->setGeometry(gap + index * (kButtonWidth + gap), buttonTop, kButtonWidth, kButtonHeight);
    return b;
  };
  Button1 = button("Button1", "Select SAT down", 0);
  Button2 = button("Button2", "All SAT down", 1);
  Button3 = button("Button3", "Cancel", 2);
  connect(Button1, &QPushButton::clicked, this, &TfrmSelectSatelliteList::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TfrmSelectSatelliteList::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TfrmSelectSatelliteList::Button3Click);
}

void TfrmSelectSatelliteList::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TfrmSelectSatelliteList::FormActivate() {
  lbSelectSatelliteList->clear();
  lbHideSelectSatelliteList->clear();
  try {
    orvane::satcodx::ReadSelectionRows(".", [this](const orvane::satcodx::SelectionRow& row) {
      lbHideSelectSatelliteList->addItem(Latin1(row.line));
      lbSelectSatelliteList->addItem(Latin1(row.text));
    });
  } catch (const std::exception& e) {
    // The rows read before the failure stay.
    app_.prompts().Error(QString::fromLocal8Bit(e.what()));
  }
}

void TfrmSelectSatelliteList::Button1Click() {
  const int n = std::min(lbSelectSatelliteList->count(), lbHideSelectSatelliteList->count());
  for (int r = 0; r < n; ++r)
    if (lbSelectSatelliteList->item(r)->isSelected()) lbHideSelectSatelliteList->item(r)->setSelected(true);
  accept();
}

void TfrmSelectSatelliteList::Button2Click() {
  lbSelectSatelliteList->selectAll();
  lbHideSelectSatelliteList->selectAll();
  accept();
}

void TfrmSelectSatelliteList::Button3Click() {
  reject();
}

std::vector<bool> TfrmSelectSatelliteList::MarkedRows() const {
  std::vector<bool> marked(static_cast<std::size_t>(lbHideSelectSatelliteList->count()));
  for (int r = 0; r < lbHideSelectSatelliteList->count(); ++r)
    marked[static_cast<std::size_t>(r)] = lbHideSelectSatelliteList->item(r)->isSelected();
  return marked;
}
