#include "editor/list_box.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

namespace {
constexpr char kRowsMime[] = "application/x-orvane-rows";
}

OrvaneListBox::OrvaneListBox(QWidget* parent) : QListView(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  // Rows differ in width (long satellite names): with uniform sizes every row would be measured by the first
  // one, and the end of a longer row could not be scrolled into view.
  setUniformItemSizes(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QPoint OrvaneListBox::PopupPosition() const {
  const QModelIndex current = currentIndex();
  const QRect rect = current.isValid() ? visualRect(current) : QRect();
  const QPoint local = rect.isValid() ? QPoint(viewport()->width() / 4, rect.center().y()) : QPoint(4, 4);
  return viewport()->mapToGlobal(local);
}

void OrvaneListBox::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
    emit DeleteKey();
    event->accept();
    return;
  }
  if ((event->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
      (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
    emit PopupKey(PopupPosition());
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

void OrvaneListBox::contextMenuEvent(QContextMenuEvent* event) {
  // The right button is handled where it is pressed; a keyboard request that reaches us this way (the
  // platform turned the Menu key into one) opens the menu as the key does.
  if (event->reason() == QContextMenuEvent::Keyboard) emit PopupKey(PopupPosition());
  event->accept();
}

int OrvaneListBox::RowAt(const QPoint& point) const {
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

int OrvaneListBox::RowCount() const {
  return model() ? model()->rowCount() : 0;
}

int OrvaneListBox::CurrentRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void OrvaneListBox::SetCurrentRow(int row) {
  if (!selectionModel()) return;
  selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::SelectCurrent);
}

bool OrvaneListBox::IsRowSelected(int row) const {
  return selectionModel() && row >= 0 && row < RowCount() && selectionModel()->isSelected(model()->index(row, 0));
}

void OrvaneListBox::SetRowSelected(int row, bool selected) {
  if (!selectionModel() || row < 0 || row >= RowCount()) return;
  selectionModel()->select(model()->index(row, 0),
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

std::vector<bool> OrvaneListBox::SelectedRows() const {
  const int rows = RowCount();
  std::vector<bool> selected(static_cast<std::size_t>(rows));
  if (!selectionModel()) return selected;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    if (range.parent().isValid()) continue;
    for (int r = std::max(range.top(), 0); r <= range.bottom() && r < rows; ++r)
      selected[static_cast<std::size_t>(r)] = true;
  }
  return selected;
}

void OrvaneListBox::StartDrag() {
  auto* drag = new QDrag(this);
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kRowsMime), objectName().toLatin1());
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
}

void OrvaneListBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) QListView::mousePressEvent(event);
  emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void OrvaneListBox::keyReleaseEvent(QKeyEvent* event) {
  QListView::keyReleaseEvent(event);
  emit KeyUp();
}

void OrvaneListBox::dragEnterEvent(QDragEnterEvent* event) {
  bool accept = false;
  emit DragOver(RowAt(event->position().toPoint()), &accept);
  if (accept && event->mimeData()->hasFormat(QString::fromLatin1(kRowsMime)))
    event->acceptProposedAction();
  else
    event->ignore();
}

void OrvaneListBox::dragMoveEvent(QDragMoveEvent* event) {
  bool accept = false;
  const int row = RowAt(event->position().toPoint());
  emit DragOver(row, &accept);
  if (accept) {
    // The row under the pointer becomes the current row, without touching the selection that is being moved.
    if (row >= 0) selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void OrvaneListBox::dropEvent(QDropEvent* event) {
  event->acceptProposedAction();
  emit DragDrop(RowAt(event->position().toPoint()));
}

QFont FixedPitchFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (QFontInfo(font).fixedPitch()) return font;
  // Some monospaced families are not marked as such for the font system (it then lays them out as
  // proportional); prefer one it knows to be fixed-pitch.
  for (const QString& family : QFontDatabase::families()) {
    if (!QFontDatabase::isFixedPitch(family)) continue;
    QFont candidate(family, font.pointSize());
    if (QFontInfo(candidate).fixedPitch()) return candidate;
  }
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}
