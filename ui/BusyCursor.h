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

// Shows the ordinary pointer for its lifetime over a busy cursor held further out: a box that
// waits for an answer must not look busy. Without a busy cursor it changes nothing.
class NormalCursor {
public:
    NormalCursor() : m_pushed(QApplication::overrideCursor() != nullptr) {
        if (m_pushed)
            QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    ~NormalCursor() {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_pushed;
};

} // namespace corvane
