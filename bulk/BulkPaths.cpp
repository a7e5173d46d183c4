#include "BulkPaths.h"

namespace corvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

} // namespace

QString nodePathOf(const QStringList& textsFromDriveDown) {
    if (textsFromDriveDown.isEmpty() || textsFromDriveDown.first().isEmpty())
        return {};
    QString path = textsFromDriveDown.first().left(1) + QStringLiteral("$\\");
    for (qsizetype i = 1; i < textsFromDriveDown.size(); ++i)
        path += textsFromDriveDown[i] + Backslash;
    return path;
}

QString localPathOf(const QString& nodePath, const QString& name, const QString& driveRoot) {
    if (nodePath.size() < 3)
        return {};
    QString root = driveRoot.isEmpty() ? nodePath.left(1) + QLatin1Char(':') : driveRoot;
    if (root.endsWith(Backslash))
        root.chop(1);
    return root + Backslash + nodePath.mid(3) + name;
}

QString shareNameOf(const QString& directoryName, bool hidden) {
    return hidden ? directoryName + QLatin1Char('$') : directoryName;
}

} // namespace corvane
