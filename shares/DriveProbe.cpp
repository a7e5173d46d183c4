#include "DriveProbe.h"

#include "ShareChanges.h"
#include "ui/Text.h"

#include <array>

namespace corvane {

QStringList probeDriveShares(ShareService& service, const QString& computer, Status* endedEarly) {
    QStringList letters;
    const std::u16string server = toU16(computer);
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        ShareInfo502 info;
        const Status s = service.getInfo(server, std::u16string{letter, u'$'}, info);
        if (s == status::Success) {
            letters.append(QString(QChar(letter)));
            continue;
        }
        // A server that stopped answering, or a wait the user ended, would only make every
        // letter after it wait as well.
        if (answerMayBeLost(s) || s == status::BadNetPath || s == status::RpcServerUnavailable) {
            if (endedEarly)
                *endedEarly = s;
            break;
        }
    }
    return letters;
}

QStringList driveSharesAmong(const QStringList& shareNames) {
    std::array<bool, 26> listed{};
    for (const QString& name : shareNames) {
        if (name.size() != 2 || name[1] != QLatin1Char('$'))
            continue;
        // ASCII letters only: the upper case of a letter beyond ASCII is no drive's.
        char16_t letter = name[0].unicode();
        if (letter >= u'a' && letter <= u'z')
            letter = static_cast<char16_t>(letter - u'a' + u'A');
        if (letter >= u'A' && letter <= u'Z')
            listed[static_cast<std::size_t>(letter - u'A')] = true;
    }
    QStringList letters;
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (listed[i])
            letters.append(QString(QChar(static_cast<char16_t>(u'A' + i))));
    return letters;
}

} // namespace corvane
