#include "ui/window_registry.h"

#include <algorithm>

namespace orvane::ui {

WindowRegistry::~WindowRegistry() {
  Clear();
}

void WindowRegistry::Declare(const QString& className, const QString& caption, Factory factory) {
  entries_.push_back({className, caption, std::move(factory), nullptr});
}

void WindowRegistry::CreateAll() {
  for (auto& e : entries_) {
    if (!e.factory || e.window) continue;
    e.window = e.factory();
    if (e.window) e.window->setWindowTitle(e.caption);
  }
}

void WindowRegistry::Clear() {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) delete it->window;
  entries_.clear();
}

QWidget* WindowRegistry::Find(const QString& className) const {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.className == className; });
  return it == entries_.end() ? nullptr : it->window;
}

WindowRegistry& Windows() {
  static WindowRegistry registry;
  return registry;
}

namespace {
ModalDriver& Driver() {
  static ModalDriver driver;
  return driver;
}
}  // namespace

void ShowModal(QDialog& dialog) {
  if (Driver()) {
    // Copied, so that a driver may install another one while it runs.
    ModalDriver driver = Driver();
    driver(dialog);
    return;
  }
  dialog.exec();
}

ModalDriver InstallModalDriver(ModalDriver driver) {
  ModalDriver previous = std::move(Driver());
  Driver() = std::move(driver);
  return previous;
}

SoftwareUpdateLauncher& SoftwareUpdate() {
  static SoftwareUpdateLauncher launcher;
  return launcher;
}

}  // namespace orvane::ui
