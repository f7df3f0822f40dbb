// Finds a window's controls by the names they carry, as a script of the
// window would: tests see no member of a window, only what it shows.
#pragma once

#include <QDialog>
#include <QMenu>
#include <QObject>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace vorun::test {

// The window an object belongs to: the nearest window above it. A menu pops
// up as a window of its own, but its items belong to the window of its bar.
inline const QObject* OwningWindow(const QObject* object) {
  for (const QObject* p = object->parent(); p != nullptr; p = p->parent()) {
    const auto* widget = qobject_cast<const QWidget*>(p);
    if (widget != nullptr && widget->isWindow() && qobject_cast<const QMenu*>(widget) == nullptr) return p;
  }
  return nullptr;
}

// The one object of this type and name that belongs to the window itself, not
// to a dialog or another window it owns (the editor's fields carry the same
// names as the main window's). A missing or doubled name fails the test.
template <class Control>
Control* FindControl(const QObject& window, const char* name) {
  Control* found = nullptr;
  int count = 0;
  for (QObject* candidate : window.findChildren<QObject*>(QString::fromLatin1(name))) {
    auto* control = dynamic_cast<Control*>(candidate);
    if (control == nullptr || OwningWindow(candidate) != &window) continue;
    found = control;
    ++count;
  }
  if (count != 1)
    throw std::logic_error(std::to_string(count) + " controls named " + name + " of type " +
                           typeid(Control).name());
  return found;
}

template <class Control>
Control* FindControl(const QObject* window, const char* name) {
  return FindControl<Control>(*window, name);
}

template <class Control, class Window>
Control* FindControl(const std::unique_ptr<Window>& window, const char* name) {
  return FindControl<Control>(*window, name);
}

}  // namespace vorun::test

namespace vorun {
using test::FindControl;
}  // namespace vorun
