#include "ServerList.h"

#include <QRegularExpression>

namespace corvane {

QStringList parseServerList(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    QStringList out;
    for (QString name : text.split(separators, Qt::SkipEmptyParts)) {
        while (name.startsWith(QLatin1Char('\\')))
            name.remove(0, 1);
        if (!name.isEmpty() && !out.contains(name, Qt::CaseInsensitive))
            out << name;
    }
    return out;
}

} // namespace corvane
