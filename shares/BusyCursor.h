#pragma once

#include <QApplication>
#include <QCursor>

namespace corvane {

// Shows the busy cursor for its lifetime, so every way out of a long operation restores it.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace corvane
