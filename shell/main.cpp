// Orvane: creates every window once, in order, shows the main window and runs until it closes.
#include <QApplication>

#include "shell/EditSatTp.h"
#include "shell/window_set.h"
#include "ui/window_registry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));
  // Hidden tool windows must not keep the program alive once the main window is gone.
  QApplication::setQuitOnLastWindowClosed(true);

  auto& windows = orvane::ui::Windows();
  orvane::shell::DeclareWindows(windows);
  windows.CreateAll();
  windows.Get<TfrmIRDTool>()->show();
  const int status = QApplication::exec();
  windows.Clear();
  return status;
}
