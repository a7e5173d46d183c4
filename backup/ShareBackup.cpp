#include "ShareBackup.h"

#include "ImportPlan.h"
#include "Messages.h"
#include "ShareExport.h"
#include "TImportSharesForm1.h"
#include "shares/Messages.h"
#include "ui/BusyCursor.h"
#include "ui/SelectionWalk.h"
#include "ui/Text.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTreeWidget>

namespace corvane {

namespace {

const QString FileFilter = QStringLiteral("Share files (*.json);;All files (*)");

QStringList listedShareNames(const QTreeWidget* list) {
    QStringList out;
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

} // namespace

QString QtFileDialogs::saveFileName(QWidget* owner, const QString& suggested) {
    QFileDialog dialog(owner, QStringLiteral("Export shares"), suggested, FileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtFileDialogs::openFileName(QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QStringLiteral("Import shares"), QString(),
                                        FileFilter);
}

ShareBackup::ShareBackup(AppContext& ctx, QWidget* owner)
    : QObject(owner), m_ctx(ctx), m_owner(owner) {
    setObjectName(QStringLiteral("ShareBackup"));
}

void ShareBackup::SharesMenu1Popup(QAction* exportShares, QAction* importShares) {
    const bool opened = !m_ctx.state.computerName.isEmpty();
    if (exportShares)
        exportShares->setEnabled(opened);
    if (importShares)
        importShares->setEnabled(opened);
}

void ShareBackup::ExportShares1Click() {
    const QString computerName = m_ctx.state.computerName;
    if (computerName.isEmpty())
        return;
    const QStringList names =
        sharesToExport(listedShareNames(m_ctx.sharesList), selectedShareNames(m_ctx.sharesList));
    const QString suggested = QDir::current().absoluteFilePath(
        QString(computerName)
            .replace(QRegularExpression(QStringLiteral("[^\\w.-]")), QStringLiteral("_")) +
        QStringLiteral("-shares.json"));
    const QString fileName = m_dialogs->saveFileName(m_owner, suggested);
    if (fileName.isEmpty())
        return;

    ShareFile file;
    file.computer = computerName;
    QDateTime now = QDateTime::currentDateTimeUtc();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    file.exported = now;
    const std::u16string computer = toU16(computerName);
    AccountNames accountNames;
    {
        const BusyCursor busy;
        for (const QString& name : names) {
            ShareInfo502 record;
            const Status fetched = m_ctx.shares.getInfo(computer, toU16(name), record);
            if (fetched != status::Success) {
                // Yes leaves the share out of the file; No writes nothing.
                if (!m_ctx.messages.errorGoOn(m_owner, shares_text::walkFetchFailed(fetched, name)))
                    return;
                continue;
            }
            ExportedShare share;
            share.record.netname = record.netname;
            share.record.type = record.type;
            share.record.path = record.path;
            share.record.remark = record.remark;
            share.record.maxUses = record.maxUses;
            share.record.securityDescriptor = record.securityDescriptor;
            share.entries =
                readableEntries(m_ctx.accounts, computer, record.securityDescriptor, accountNames);
            file.shares.push_back(std::move(share));
        }
    }
    const QString failure = writeFileAtomically(fileName, writeShareFile(file));
    if (!failure.isEmpty())
        m_ctx.messages.error(m_owner, backup_text::writeFailed(fileName, failure));
}

void ShareBackup::ImportShares1Click() {
    const QString computerName = m_ctx.state.computerName;
    if (computerName.isEmpty())
        return;
    const QString fileName = m_dialogs->openFileName(m_owner);
    if (fileName.isEmpty())
        return;
    const auto refuse = [&](const QString& problem) {
        m_ctx.messages.error(m_owner, backup_text::importRefused(fileName, problem));
    };
    QFile input(fileName);
    if (!input.open(QIODevice::ReadOnly))
        return refuse(input.errorString());
    // The size is checked before reading and again on what was read, for a file that grows.
    if (input.size() > MaxShareFileSize)
        return refuse(backup_text::fileTooLarge());
    const QByteArray bytes = input.read(MaxShareFileSize + 1);
    if (input.error() != QFileDevice::NoError)
        return refuse(input.errorString());
    const ShareFileReadResult read = readShareFile(bytes);
    if (!read.file)
        return refuse(read.error);

    std::vector<ExistingShare> existing;
    Status readBack = status::Success;
    {
        const BusyCursor busy;
        readBack = readExisting(m_ctx.shares, toU16(computerName), *read.file, existing);
    }
    if (readBack == status::Cancelled)
        return;
    TImportSharesForm1 preview(m_ctx, *read.file, std::move(existing), m_owner);
    preview.exec();
    if (preview.ran())
        m_ctx.reloadSharesList();
}

} // namespace corvane
