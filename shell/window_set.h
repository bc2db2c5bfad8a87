// The program's window set, declared in its creation order. Tools that are not built yet are declared
// without a factory: listed, not faked, and their buttons stay disabled.
#pragma once

#include <functional>

class QWidget;

namespace orvane::ui {
class WindowRegistry;
}

namespace orvane::shell {

void DeclareWindows(ui::WindowRegistry& registry);

// Shows the program's main window among the created ones: TfrmIRDTool, or with `allTools` the second main
// window TfrmKoreaIRDTool, which also reaches the data area download and key setting tools. `closed` runs
// when the shown window closes (the program ends then, whatever other windows exist).
QWidget* ShowMainWindow(ui::WindowRegistry& registry, bool allTools, std::function<void()> closed);

}  // namespace orvane::shell
