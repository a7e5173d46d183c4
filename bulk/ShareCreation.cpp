#include "ShareCreation.h"

#include "BulkPaths.h"
#include "platform/SecurityDescriptor.h"
#include "security/AclBuilding.h"
#include "shares/Text.h"

namespace corvane {

NewShareTarget newShareTarget(ShareService& shares, const std::u16string& server,
                              const QString& nodePath) {
    NewShareTarget target{server, nodePath, QString()};
    ShareInfo502 driveShare;
    if (shares.getInfo(server, toU16(nodePath.left(2)), driveShare) == status::Success)
        target.driveRoot = fromU16(driveShare.path);
    return target;
}

ShareInfo502 newShareRecord(const NewShareTarget& target, const NewShareOptions& options,
                            const QString& directory, const Acl& acl) {
    ShareInfo502 info;
    info.netname = toU16(shareNameOf(directory, options.hidden));
    info.type = StypeDisktree;
    info.remark = toU16(options.comment);
    info.permissions = 0;
    info.maxUses = static_cast<std::uint32_t>(options.maximumUsers);
    info.currentUses = 0;
    info.path = toU16(localPathOf(target.nodePath, directory, target.driveRoot));
    info.passwd = std::nullopt;
    info.reserved = 0;
    info.securityDescriptor = SecurityDescriptor::withDacl(acl).toSelfRelative();
    return info;
}

DirectoryCreation createDirectoryShare(ShareService& shares, AccountService& accounts,
                                       const NewShareTarget& target, const NewShareOptions& options,
                                       const std::optional<Acl>& newShareAcl,
                                       const QString& directory) {
    using Kind = DirectoryCreation::Kind;
    std::optional<Acl> acl = newShareAcl ? CopyAcl(*newShareAcl) : std::nullopt;
    if (!acl)
        return {Kind::NoList, status::Success,
                QStringLiteral("A system error has occured. Could not assign security list to "
                               "share.\nThe share has not been created. Continue?")};

    if (options.addDirectoryNameAsUser) {
        Account account;
        if (accounts.lookupName(target.server, toU16(directory), account) != status::Success)
            return {Kind::AccountNotFound, status::Success,
                    QStringLiteral("A system error has occured. Could not find user on "
                                   "network.\nThe share has not been created. Continue?")};
        std::optional<Acl> withUser = AddAceToAcl(ExplicitAllow, acl, account.sid, GenericAll);
        if (!withUser)
            return {Kind::EntryNotAdded, status::Success,
                    QStringLiteral("Could not add directory name as user to share!\nThe share has "
                                   "not been created. Continue?")};
        acl = std::move(withUser);
    }

    const Status result =
        shares.add(target.server, newShareRecord(target, options, directory, *acl));
    if (result != status::Success)
        return {
            Kind::AddFailed, result,
            QStringLiteral("A system error has occured (%1).\nCould not create share. Continue?")
                .arg(result)};
    return {};
}

} // namespace corvane
