#include "ui/app_context.h"

namespace orvane::ui {

AppContext::AppContext() : program_(std::make_unique<ProgramData>()), windows_(*this) {}

AppContext::~AppContext() {
  windows_.Clear();
}

Prompts* AppContext::SetPrompts(Prompts* prompts) {
  Prompts* previous = installed_;
  installed_ = prompts;
  return previous;
}

void AppContext::ShowModal(QDialog& dialog) {
  if (driver_) {
    // Copied, so that a driver may install another one while it runs.
    ModalDriver driver = driver_;
    driver(dialog);
    return;
  }
  dialog.exec();
}

ModalDriver AppContext::SetModalDriver(ModalDriver driver) {
  ModalDriver previous = std::move(driver_);
  driver_ = std::move(driver);
  return previous;
}

}  // namespace orvane::ui
