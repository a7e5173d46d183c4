#pragma once

#include "platform/ShareService.h"

#include <QString>
#include <QStringList>

namespace corvane {

// Asks the share service for A$ to Z$ on `computer` and returns the letters whose
// administrative share could be read ("C", "D"), in order. Failures skip a letter silently.
QStringList probeDriveShares(ShareService& service, const QString& computer);

} // namespace corvane
