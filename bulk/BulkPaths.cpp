#include "BulkPaths.h"

#include <QStringList>

namespace corvane {

QString nodePathOf(const QStringList& textsFromDriveDown) {
    if (textsFromDriveDown.isEmpty())
        return {};
    QString path = textsFromDriveDown.first().left(1) + QStringLiteral("$\\");
    for (qsizetype i = 1; i < textsFromDriveDown.size(); ++i)
        path += textsFromDriveDown[i] + QLatin1Char('\\');
    return path;
}

} // namespace corvane
