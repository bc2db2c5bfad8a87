#include "shell/main_window_parts.h"
#include "common/latin1.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWidget>
#include <exception>
#include <string>
#include <vector>

#include "shell/encoder_parameter_file.h"

namespace orvane::shell {

namespace {
constexpr int kPanelMargin = 4;
}

QFrame* ButtonPanel(QWidget* window, int width, int height) {
  auto* panel = new QFrame(window);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(0, 0, width, height);
  return panel;
}

QPushButton* PanelButton(QFrame* panel, const char* name, const QString& caption, QStyle::StandardPixmap icon,
                         int index, std::span<const int> widths) {
  auto* button = new QPushButton(panel->style()->standardIcon(icon), caption, panel);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  const int height = panel->height() - 2 * kPanelMargin;
  int left = kPanelMargin;
  int i = 0;
  for (const int w : widths) {
    if (i++ == index) {
      button->setGeometry(left, kPanelMargin, w, height);
      break;
    }
    left += w + kPanelMargin;
  }
  return button;
}

QPlainTextEdit* ParameterMemo(QWidget* window) {
  auto* memo = new QPlainTextEdit(window);
  memo->setObjectName(QStringLiteral("Memo1"));
  QStringList lines;
  for (const auto line : encoder::kParameterLines)
    lines << orvane::text::FromLatin1(line);
  memo->setPlainText(lines.join(QLatin1Char('\n')));
  memo->setVisible(false);
  return memo;
}

void WriteParameterFileFrom(ui::AppContext& app, const QPlainTextEdit* memo) {
  std::vector<std::string> lines;
  for (const QString& line : memo->toPlainText().split(QLatin1Char('\n')))
    lines.push_back(orvane::text::ToLatin1(line));
  try {
    encoder::WriteParameterFile(encoder::ParameterFilePath(), lines);
  } catch (const std::exception& e) {
    app.prompts().Error(QString::fromLocal8Bit(e.what()));
  }
}

void CentreOnScreen(QWidget* window) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window->move(area.center() - window->rect().center());
  }
}

}  // namespace orvane::shell
