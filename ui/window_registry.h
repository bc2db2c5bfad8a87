// Every window of the program exists once for the whole run. The shell declares them in their creation order,
// CreateAll builds them all before any is shown, and every window finds the others here by class name.
// A window whose tool has not been built yet is declared without a factory: it is listed, never faked.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace orvane::ui {

class WindowRegistry {
 public:
  using Factory = std::function<QWidget*()>;
  struct Entry {
    QString className;
    QString caption;  // the designed caption
    Factory factory;  // empty: not built yet
    QWidget* window = nullptr;
  };

  WindowRegistry() = default;
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;
  ~WindowRegistry();

  // Adds the next window in creation order.
  void Declare(const QString& className, const QString& caption, Factory factory);
  // Creates every declared window that has a factory, in order; none is shown.
  void CreateAll();
  // Deletes the windows (last created first) and forgets the declarations.
  void Clear();

  QWidget* Find(const QString& className) const;
  template <class T>
  T* Get() const {
    return qobject_cast<T*>(Find(QString::fromLatin1(T::staticMetaObject.className())));
  }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// The program's registry.
WindowRegistry& Windows();

// Shows a dialog modally. Tests install a driver that works the dialog (fills it, presses its buttons)
// instead of blocking in a nested event loop.
using ModalDriver = std::function<void(QDialog&)>;
void ShowModal(QDialog& dialog);
ModalDriver InstallModalDriver(ModalDriver driver);

class ScopedModalDriver {
 public:
  explicit ScopedModalDriver(ModalDriver d) : previous_(InstallModalDriver(std::move(d))) {}
  ~ScopedModalDriver() { InstallModalDriver(std::move(previous_)); }
  ScopedModalDriver(const ScopedModalDriver&) = delete;
  ScopedModalDriver& operator=(const ScopedModalDriver&) = delete;

 private:
  ModalDriver previous_;
};

// The software update tool lives in another part of the program; the shell sets this when that window exists.
// The argument is its mode: 0 = software image (main window), 1 = channel data (editor).
using SoftwareUpdateLauncher = std::function<void(int mode)>;
SoftwareUpdateLauncher& SoftwareUpdate();

}  // namespace orvane::ui
