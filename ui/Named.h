#pragma once

#include <QLatin1String>

namespace corvane {

// A widget given its object name as it is made: `named(new QLabel(this), "Label1")`.
template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace corvane
