#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// Server names as typed in a box or read from a file: one per line, or separated by spaces or
// commas; leading backslashes dropped, each name once (letter case aside), in order.
QStringList parseServerList(const QString& text);

} // namespace corvane
