// Reading and selecting the rows of a list view (the editor's lists and the selection window's) in tests.
#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <initializer_list>

namespace orvane::test {

inline int RowCount(const QAbstractItemView* list) {
  return list->model() ? list->model()->rowCount() : 0;
}

inline QString RowText(const QAbstractItemView* list, int row) {
  return list->model()->index(row, 0).data(Qt::DisplayRole).toString();
}

inline QStringList Rows(const QAbstractItemView* list) {
  QStringList rows;
  for (int r = 0; r < RowCount(list); ++r) rows << RowText(list, r);
  return rows;
}

inline int CurrentRow(const QAbstractItemView* list) {
  const QModelIndex current = list->currentIndex();
  return current.isValid() ? current.row() : -1;
}

// The current row as a click makes it: selected in place of what the previous current row selected.
inline void SetCurrentRow(QAbstractItemView* list, int row) {
  list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::SelectCurrent);
}

inline bool IsSelected(const QAbstractItemView* list, int row) {
  return list->selectionModel()->isSelected(list->model()->index(row, 0));
}

// Adds a row to the selection.
inline void SelectRow(QAbstractItemView* list, int row) {
  list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

// Exactly these rows selected.
inline void Select(QAbstractItemView* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) SelectRow(list, r);
}

// The selected rows in ascending order.
inline QList<int> SelectedRows(const QAbstractItemView* list) {
  QList<int> rows;
  for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace orvane::test
