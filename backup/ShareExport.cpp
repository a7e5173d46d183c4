#include "ShareExport.h"

#include "platform/SecurityDescriptor.h"
#include "shares/ShareRights.h"
#include "shares/ShareRules.h"
#include "ui/Text.h"

#include <QSaveFile>

namespace corvane {

namespace {

QString hex(std::uint32_t value, int digits) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString accessText(std::uint32_t mask) {
    switch (recognisedPermission(mask, true)) {
    case Permission::FullControl:
        return QStringLiteral("Full Control");
    case Permission::Change:
        return QStringLiteral("Change");
    case Permission::Read:
        return QStringLiteral("Read");
    case Permission::None:
        break;
    }
    return hex(mask, 8);
}

} // namespace

QStringList sharesToExport(const QStringList& listed, const QStringList& selected) {
    if (!selected.isEmpty())
        return selected;
    QStringList out;
    for (const QString& name : listed)
        if (!isDefaultShare(name))
            out << name;
    return out;
}

QList<ReadableEntry> readableEntries(AccountService& accounts, const std::u16string& computer,
                                     std::span<const std::uint8_t> descriptor,
                                     AccountNames& known) {
    QList<ReadableEntry> out;
    const std::optional<Acl> acl = daclOf(descriptor);
    if (!acl)
        return out;
    for (std::size_t i = 0; i < acl->aceCount(); ++i) {
        const std::optional<Ace> ace = acl->ace(i);
        if (!ace)
            break;
        ReadableEntry entry;
        entry.type = ace->type == AccessAllowedAceType  ? QStringLiteral("Allow")
                     : ace->type == AccessDeniedAceType ? QStringLiteral("Deny")
                                                        : hex(ace->type, 2);
        entry.access = accessText(ace->mask);
        if (ace->sid) {
            const std::string sid = ace->sid->toString();
            entry.sid = QString::fromStdString(sid);
            auto name = known.find(sid);
            if (name == known.end()) {
                Account account;
                std::optional<QString> resolved;
                if (accounts.lookupSid(computer, *ace->sid, account) == status::Success)
                    resolved =
                        account.domain.empty()
                            ? fromU16(account.name)
                            : fromU16(account.domain) + QLatin1Char('\\') + fromU16(account.name);
                name = known.emplace(sid, resolved).first;
            }
            entry.account = name->second;
        }
        out.append(entry);
    }
    return out;
}

QString writeFileAtomically(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace corvane
