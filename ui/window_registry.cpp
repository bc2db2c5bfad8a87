#include "ui/window_registry.h"

#include <algorithm>

namespace orvane::ui {

void WindowRegistry::Add(const QString& className, const QString& caption, Factory factory) {
  if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.className == className; }))
    throw std::logic_error("window " + className.toStdString() + " is declared twice");
  entries_.push_back({className, caption, std::move(factory), nullptr});
}

void WindowRegistry::CreateAll() {
  for (auto& e : entries_) {
    if (e.window) continue;
    e.window = e.factory(app_);
    e.window->setWindowTitle(e.caption);
  }
}

void WindowRegistry::Clear() {
  // Last created first: a window may still refer to one created before it while it goes.
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) it->window.reset();
  entries_.clear();
}

QWidget* WindowRegistry::Lookup(const QString& className) const {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.className == className; });
  return it == entries_.end() ? nullptr : it->window.get();
}

QWidget& WindowRegistry::Find(const QString& className) const {
  QWidget* w = Lookup(className);
  if (!w) throw std::logic_error("window " + className.toStdString() + " is not created");
  return *w;
}

}  // namespace orvane::ui
