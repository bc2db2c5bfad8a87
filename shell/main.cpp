// Orvane: creates every window once, in order, shows the main window and runs until it closes.
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>

#include "shell/window_set.h"
#include "ui/app_context.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));
  // Hidden tool windows must not keep the program alive once the main window is gone.
  QApplication::setQuitOnLastWindowClosed(true);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Maintenance tool for the satellite receiver: channel database editor, pictures, "
                     "software update."));
  parser.addHelpOption();
  const QCommandLineOption allTools(
      QStringLiteral("all-tools"),
      QStringLiteral("Show the second main window instead of the usual one: besides the editor and the picture "
                     "tool it reaches the data area download tool (IRD Download) and the key setting tool."));
  parser.addOption(allTools);
  parser.process(app);

  // Everything the windows share for this run; it deletes the windows before the application goes.
  orvane::ui::AppContext context;
  orvane::shell::DeclareWindows(context);
  context.windows().CreateAll();
  // The program ends when the window it shows closes, whichever of the two that is.
  orvane::shell::ShowMainWindow(context, parser.isSet(allTools), [] { QApplication::quit(); });
  return QApplication::exec();
}
