#include "ShareRules.h"

#include <QList>

#include <algorithm>

namespace corvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

QString withoutOneTrailingBackslash(const QString& path) {
    return path.endsWith(Backslash) ? path.left(path.size() - 1) : path;
}

} // namespace

bool isDefaultShare(const QString& name) {
    if (name.compare(QLatin1String("IPC$"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Admin$"), Qt::CaseInsensitive) == 0)
        return true;
    if (name.size() != 2 || name[1] != QLatin1Char('$'))
        return false;
    const char16_t first = name[0].toLower().unicode();
    return first >= u'a' && first <= u'z';
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
