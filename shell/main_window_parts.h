// What the two main windows share: the button row, the hidden parameter template, writing the parameter
// file, and showing a tool window from the registry.
#pragma once

#include <QPushButton>
#include <QString>
#include <QStyle>
#include <span>

#include "ui/app_context.h"

class QFrame;
class QPlainTextEdit;
class QWidget;

namespace orvane::shell {

QFrame* ButtonPanel(QWidget* window, int width, int height);
// The buttons sit side by side; `widths` gives each one's width in order, `index` picks this one.
QPushButton* PanelButton(QFrame* panel, const char* name, const QString& caption, QStyle::StandardPixmap icon,
                         int index, std::span<const int> widths);
// The hidden Memo1 holding the 55 parameter lines.
QPlainTextEdit* ParameterMemo(QWidget* window);
// Writes every line of `memo` with CR LF into the parameter file; an error goes to an error box.
void WriteParameterFileFrom(ui::AppContext& app, const QPlainTextEdit* memo);
// Shows the tool window T modally.
template <class T>
void ShowTool(ui::AppContext& app) {
  app.ShowModal(app.windows().Get<T>());
}
// Centres a top-level window on the primary screen.
void CentreOnScreen(QWidget* window);

}  // namespace orvane::shell
