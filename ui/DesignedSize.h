#pragma once

#include <QWidget>

namespace corvane {

// Fixes a dialog at its designed size, or larger where its texts need more room with the
// desktop's fonts: the designed size is a minimum, never a cap that cuts a caption.
inline void setDesignedSize(QWidget* dialog, QSize designed) {
    dialog->setFixedSize(designed.expandedTo(dialog->minimumSizeHint()));
}

} // namespace corvane
