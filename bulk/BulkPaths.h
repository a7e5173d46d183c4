#pragma once

#include <QString>

namespace corvane {

// The node path of a directory below a drive node: "D:" and "Work" give "D$\Work\".
QString nodePathOf(const QStringList& textsFromDriveDown);

} // namespace corvane
