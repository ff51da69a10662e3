#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace stylorex {

// The object of type T named `name` among the descendants of `parent`. The main window keeps
// its controls to itself; tests reach them by the names they carry ("cmdStart", "Label2_3" for
// element 3 of Label2, "mnu_canvas_2"). Throws when there is none, so that a renamed control
// fails the test that looks for it instead of crashing it.
template <typename T>
T* NamedChild(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromUtf8(name));
    if (child == nullptr) {
        throw std::runtime_error(std::string("no child named ") + name);
    }
    return child;
}

}  // namespace stylorex
