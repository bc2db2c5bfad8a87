// A list box that reports its mouse, key and drag events the way the editor's handlers take them: a press of
// the right button does not change the selection, and dragging is started by a menu command, not the mouse.
// Delete and the pop-up keys (the Menu key, Shift+F10) are reported as commands of their own. The rows come
// from a list model; the selection is the view's selection model.
#pragma once

#include <QFont>
#include <QListView>
#include <vector>

class OrvaneListBox : public QListView {
  Q_OBJECT

 public:
  explicit OrvaneListBox(QWidget* parent = nullptr);

  // Drags the selected rows until they are dropped or the drag is given up (blocks meanwhile).
  void StartDrag();
  // The row under a point of the viewport, or -1.
  int RowAt(const QPoint& point) const;

  int RowCount() const;
  // The current row, or -1.
  int CurrentRow() const;
  // Makes `row` current and selects it in place of the rows the previous current row selected, as a click
  // does; rows selected with Ctrl stay selected. A row that does not exist leaves no row current.
  void SetCurrentRow(int row);
  bool IsRowSelected(int row) const;
  void SetRowSelected(int row, bool selected);
  // Whether each row is selected, for the rows 0..RowCount()-1.
  std::vector<bool> SelectedRows() const;

 signals:
  void MouseDown(Qt::MouseButton button, QPoint globalPosition);
  void KeyUp();
  void DragOver(int row, bool* accept);
  void DragDrop(int row);
  void DeleteKey();
  // The pop-up menu asked for from the keyboard; `globalPosition` is the middle of the current row (or of the
  // list's top left corner when it has no rows).
  void PopupKey(QPoint globalPosition);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QPoint PopupPosition() const;
};

// A font whose characters all have one width, so that the padded number fields of the rows line up. The
// desktop's fixed font when the font system confirms it is fixed-pitch, else the first installed family that is.
QFont FixedPitchFont();
