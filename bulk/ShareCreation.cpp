#include "ShareCreation.h"

#include "BulkPaths.h"
#include "Messages.h"
#include "platform/SecurityDescriptor.h"
#include "security/AclBuilding.h"
#include "shares/ShareChanges.h"
#include "ui/Text.h"

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
        return {Kind::NoList, status::Success, bulk_text::noSecurityList()};

    if (options.addDirectoryNameAsUser) {
        Account account;
        if (accounts.lookupName(target.server, toU16(directory), account) != status::Success)
            return {Kind::AccountNotFound, status::Success, bulk_text::accountNotFound()};
        std::optional<Acl> withUser = AddAceToAcl(ExplicitAllow, acl, account.sid, GenericAll);
        if (!withUser)
            return {Kind::EntryNotAdded, status::Success, bulk_text::entryNotAdded()};
        acl = std::move(withUser);
    }

    const ChangeOutcome added =
        addShare(shares, target.server, newShareRecord(target, options, directory, *acl));
    if (!added.done())
        return {Kind::AddFailed, added.status,
                added.kind == ChangeOutcome::Kind::Unknown
                    ? bulk_text::creationUnanswered(added.status)
                    : bulk_text::creationFailed(added.status)};
    return {};
}

} // namespace corvane
