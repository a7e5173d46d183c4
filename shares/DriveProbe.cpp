#include "DriveProbe.h"

#include "ui/Text.h"

namespace corvane {

QStringList probeDriveShares(ShareService& service, const QString& computer) {
    QStringList letters;
    const std::u16string server = toU16(computer);
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        ShareInfo502 info;
        if (service.getInfo(server, std::u16string{letter, u'$'}, info) == status::Success)
            letters.append(QString(QChar(letter)));
    }
    return letters;
}

} // namespace corvane
