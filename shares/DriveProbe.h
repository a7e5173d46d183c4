#pragma once

#include "platform/ShareService.h"

#include <QString>
#include <QStringList>

namespace corvane {

// Asks the share service for A$ to Z$ on `computer` and returns the letters whose
// administrative share could be read ("C", "D"), in order. A letter that cannot be read is
// skipped; a server that stops answering (or a cancelled wait) ends the probe there, with its
// status in `endedEarly` when given.
QStringList probeDriveShares(ShareService& service, const QString& computer,
                             Status* endedEarly = nullptr);

// The same letters read from the names of a complete level-502 enumeration by the same account,
// without a call: the enumeration lists every share of the server that a get-info at that level
// finds, the administrative drive shares among them. Names compare without regard to letter
// case, as the server looks them up.
QStringList driveSharesAmong(const QStringList& shareNames);

} // namespace corvane
