// The program's window set, declared in its creation order. Tools that are not built yet are declared
// without a factory: listed, not faked, and their buttons stay disabled.
#pragma once

namespace orvane::ui {
class WindowRegistry;
}

namespace orvane::shell {

void DeclareWindows(ui::WindowRegistry& registry);

}  // namespace orvane::shell
