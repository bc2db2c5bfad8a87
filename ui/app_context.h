// What the windows of one run share: the program's data, its windows, the way it asks the user (Prompts), the
// way it shows a dialog modally, and the way to reach the software update tool. main() builds one and hands it
// to the windows it creates; a test builds its own, so nothing leaks from one test into the next.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "ui/program_data.h"
#include "ui/prompts.h"
#include "ui/window_registry.h"

namespace orvane::ui {

// Works a dialog instead of blocking in a nested event loop (tests fill it and press its buttons).
using ModalDriver = std::function<void(QDialog&)>;
// Opens the software update tool; the argument is its mode: 0 = software image (main window), 1 = channel data
// (editor).
using SoftwareUpdateLauncher = std::function<void(int mode)>;

class AppContext {
 public:
  AppContext();
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  ProgramData& program() { return *program_; }
  WindowRegistry& windows() { return windows_; }

  // Real dialogs until a test installs its own; SetPrompts returns the one replaced (nullptr: the real ones).
  Prompts& prompts() { return installed_ ? *installed_ : qtPrompts_; }
  Prompts* SetPrompts(Prompts* prompts);

  // Shows `dialog` modally, through the installed driver when there is one.
  void ShowModal(QDialog& dialog);
  ModalDriver SetModalDriver(ModalDriver driver);

  // Set by whoever declares the software update window.
  SoftwareUpdateLauncher softwareUpdate;

 private:
  std::unique_ptr<ProgramData> program_;  // about 30 MB: on the heap
  QtPrompts qtPrompts_;
  Prompts* installed_ = nullptr;
  ModalDriver driver_;
  WindowRegistry windows_;  // last, so its windows are deleted before everything they use
};

// Installs a Prompts for the lifetime of the object.
class ScopedPrompts {
 public:
  ScopedPrompts(AppContext& app, Prompts& p) : app_(app), previous_(app.SetPrompts(&p)) {}
  ~ScopedPrompts() { app_.SetPrompts(previous_); }
  ScopedPrompts(const ScopedPrompts&) = delete;
  ScopedPrompts& operator=(const ScopedPrompts&) = delete;

 private:
  AppContext& app_;
  Prompts* previous_;
};

// Installs a modal driver for the lifetime of the object.
class ScopedModalDriver {
 public:
  ScopedModalDriver(AppContext& app, ModalDriver d) : app_(app), previous_(app.SetModalDriver(std::move(d))) {}
  ~ScopedModalDriver() { app_.SetModalDriver(std::move(previous_)); }
  ScopedModalDriver(const ScopedModalDriver&) = delete;
  ScopedModalDriver& operator=(const ScopedModalDriver&) = delete;

 private:
  AppContext& app_;
  ModalDriver previous_;
};

}  // namespace orvane::ui
