// The program's window set, declared in its creation order.
#pragma once

#include <functional>

class QWidget;

namespace orvane::ui {
class AppContext;
}

namespace orvane::shell {

// Declares every window in `app`'s registry and sets its software update launcher.
void DeclareWindows(ui::AppContext& app);

// Shows the program's main window among the created ones: TfrmIRDTool, or with `allTools` the second main
// window TfrmKoreaIRDTool, which also reaches the data area download and key setting tools. `closed` runs
// when the shown window closes (the program ends then, whatever other windows exist).
QWidget& ShowMainWindow(ui::AppContext& app, bool allTools, std::function<void()> closed);

}  // namespace orvane::shell
