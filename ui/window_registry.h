// Every window of the program exists once for the whole run. The shell declares them by type in their
// creation order, CreateAll builds them all before any is shown, and every window finds the others here by
// type. The registry owns the windows. Asking for a window that was never declared or created is a fault of
// the program and throws.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace orvane::ui {

class AppContext;

class WindowRegistry {
 public:
  using Factory = std::function<std::unique_ptr<QWidget>(AppContext&)>;
  struct Entry {
    QString className;  // the class's own name, namespace included
    QString caption;    // the designed caption
    Factory factory;
    std::unique_ptr<QWidget> window;
  };

  explicit WindowRegistry(AppContext& app) : app_(app) {}
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;
  ~WindowRegistry() { Clear(); }

  // Adds window class T next in creation order. T is built from the application context when it takes one.
  template <class T>
  void Declare(const QString& caption) {
    Add(ClassName<T>(), caption, [](AppContext& app) -> std::unique_ptr<QWidget> {
      if constexpr (std::is_constructible_v<T, AppContext&>)
        return std::make_unique<T>(app);
      else
        return std::make_unique<T>();
    });
  }
  // Creates every declared window not created yet, in order; none is shown.
  void CreateAll();
  // Deletes the windows (last created first) and forgets the declarations.
  void Clear();

  // The created window of class T.
  template <class T>
  T& Get() const {
    return static_cast<T&>(Find(ClassName<T>()));
  }
  template <class T>
  bool Has() const {
    return Lookup(ClassName<T>()) != nullptr;
  }
  // By class name; throws std::logic_error when no such window was created.
  QWidget& Find(const QString& className) const;
  const std::vector<Entry>& entries() const { return entries_; }

  template <class T>
  static QString ClassName() {
    return QString::fromLatin1(T::staticMetaObject.className());
  }

 private:
  void Add(const QString& className, const QString& caption, Factory factory);
  QWidget* Lookup(const QString& className) const;

  AppContext& app_;
  std::vector<Entry> entries_;
};

}  // namespace orvane::ui
