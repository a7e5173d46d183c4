#include "BulkPaths.h"

#include <algorithm>

namespace corvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

QString withoutOneTrailingBackslash(const QString& path) {
    return path.endsWith(Backslash) ? path.left(path.size() - 1) : path;
}

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

QString sourceParentDirOf(const QString& path) {
    const QString trimmed = withoutOneTrailingBackslash(path);
    const qsizetype slash = trimmed.lastIndexOf(Backslash);
    return slash < 0 ? QString() : trimmed.left(slash + 1);
}

QString lastComponentOf(const QString& path) {
    const QString trimmed = withoutOneTrailingBackslash(path);
    const qsizetype slash = trimmed.lastIndexOf(Backslash);
    return slash < 0 ? trimmed : trimmed.mid(slash + 1);
}

QString pathFlawOf(const QString& path) {
    if (path.contains(QLatin1Char('/')))
        return QStringLiteral("/");
    for (const QStringView component : QStringView(path).split(Backslash)) {
        const bool onlyDots = !component.isEmpty() && component.front() == QLatin1Char('.') &&
                              std::all_of(component.begin(), component.end(), [](QChar c) {
                                  return c == QLatin1Char('.') || c == QLatin1Char(' ');
                              });
        if (onlyDots)
            return component.toString();
    }
    return {};
}

QString destinationPathOf(const QString& destinationParent, const QString& sourcePath) {
    if (!pathFlawOf(destinationParent).isEmpty() || !pathFlawOf(sourcePath).isEmpty())
        return {};
    QString path = destinationParent;
    if (!path.endsWith(Backslash))
        path += Backslash;
    return path + lastComponentOf(sourcePath);
}

} // namespace corvane
