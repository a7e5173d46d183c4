#pragma once

#include "ui/ImageList.h"

namespace corvane {

// The 26 pictures of the main window, taken from the desktop icon theme, with the sharing hand
// drawn over the drive, folder and printer for the share pictures 23 to 25. A picture the
// theme lacks is drawn plainly, so every index always exists.
ImageList makeImageList();

} // namespace corvane
