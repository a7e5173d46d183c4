#include "CommandLine.h"
#include "app/Version.h"
#include "backup/ShareExport.h"
#include "inventory/Inventory.h"
#include "inventory/Messages.h"
#include "inventory/NetworkScan.h"
#include "inventory/ScanEngine.h"
#include "platform/smb/SmbNetwork.h"
#include "shares/ShareRules.h"
#include "ui/Text.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <cstdio>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

using namespace corvane;
namespace text = inventory_text;

constexpr int AllDone = 0;
constexpr int SomeFailed = 1;
constexpr int UsageError = 2;
constexpr qint64 MaxServersFileSize = 16 * 1024 * 1024;

void say(FILE* to, const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
    std::fputc('\n', to);
}

int usage(const QString& why) {
    say(stderr, QStringLiteral("corvane-cli: %1").arg(why));
    say(stderr, cli::usageText());
    return UsageError;
}

// Writes to the output file (atomically) or to standard output.
bool writeOut(const QString& output, const QByteArray& bytes) {
    if (output.isEmpty() || output == QLatin1String("-")) {
        return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) ==
                   static_cast<std::size_t>(bytes.size()) &&
               std::fflush(stdout) == 0;
    }
    const QString failure = writeFileAtomically(output, bytes);
    if (!failure.isEmpty())
        say(stderr, text::exportFailed(output, failure));
    return failure.isEmpty();
}

// Scans every server on the engine, one network each.
std::vector<ServerScan> scanAll(const QStringList& servers, int jobs, CredentialProvider& logon,
                                const smb::SmbOptions& options) {
    std::vector<ServerScan> scans(static_cast<std::size_t>(servers.size()));
    for (qsizetype i = 0; i < servers.size(); ++i)
        scans[static_cast<std::size_t>(i)].server = servers[i];
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    std::mutex mutex;
    std::size_t ended = 0;
    ScanEngine engine(
        scans.size(), jobs, [&](std::size_t i) { return makeScanJob(logon, options, scans[i]); },
        [&](std::size_t i, ScanEngine::State state, Status result) {
            if (state == ScanEngine::State::Scanning || state == ScanEngine::State::Waiting)
                return;
            std::lock_guard lock(mutex);
            ++ended;
            if (terminal)
                std::fputs("\r\033[K", stderr);
            if (state == ScanEngine::State::Failed)
                say(stderr, text::serverFailed(scans[i].server, result, options.timeout));
            if (terminal) {
                const QByteArray progress = text::progressLine(ended, scans.size()).toUtf8();
                std::fputs(progress.constData(), stderr);
                if (ended == scans.size())
                    std::fputc('\n', stderr);
            }
            std::fflush(stderr);
        },
        {});
    engine.wait();
    return scans;
}

int list(const cli::Command& command, CredentialProvider& logon, const smb::SmbOptions& options) {
    const std::vector<ServerScan> scans = scanAll(command.servers, 1, logon, options);
    if (scans.front().status != status::Success)
        return SomeFailed;
    QString out;
    for (const InventoryShare& share : scans.front().shares)
        out += QStringLiteral("%1\t%2\t%3\n")
                   .arg(fromU16(share.record.netname), fromU16(share.record.path),
                        fromU16(share.record.remark));
    return writeOut({}, out.toUtf8()) ? AllDone : SomeFailed;
}

int exportShares(const cli::Command& command, CredentialProvider& logon,
                 const smb::SmbOptions& options) {
    const std::vector<ServerScan> scans = scanAll(command.servers, 1, logon, options);
    const ServerScan& scan = scans.front();
    if (scan.status != status::Success)
        return SomeFailed;
    ShareFile file;
    file.computer = scan.server;
    QDateTime now = QDateTime::currentDateTimeUtc();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    file.exported = now;
    for (const InventoryShare& share : scan.shares) {
        // As the main window's export with no share selected, unless all are asked for.
        if (!command.all && isDefaultShare(fromU16(share.record.netname)))
            continue;
        ExportedShare exported;
        exported.record = share.record;
        for (const InventoryEntry& entry : share.entries)
            exported.entries.append(entry.readable);
        file.shares.push_back(std::move(exported));
    }
    return writeOut(command.file, writeShareFile(file)) ? AllDone : SomeFailed;
}

int inventory(cli::Command command, CredentialProvider& logon, const smb::SmbOptions& options) {
    if (!command.serversFile.isEmpty()) {
        QFile file(command.serversFile);
        if (!file.open(QIODevice::ReadOnly) || file.size() > MaxServersFileSize)
            return usage(text::serversFileUnreadable(command.serversFile,
                                                     file.isOpen() ? text::serversFileTooLarge()
                                                                   : file.errorString()));
        command.servers = parseServerList(QString::fromUtf8(file.read(MaxServersFileSize)));
    } else {
        command.servers = parseServerList(command.servers.join(QLatin1Char(' ')));
    }
    if (command.servers.isEmpty())
        return usage(QStringLiteral("no servers to scan"));
    Baselines baselines;
    if (!command.baseline.isEmpty()) {
        baselines = readBaselines({command.baseline});
        if (!baselines.problems.isEmpty()) {
            for (const QString& problem : baselines.problems)
                say(stderr, problem);
            return UsageError;
        }
    }
    std::vector<ServerScan> scans = scanAll(command.servers, command.jobs, logon, options);
    const std::vector<InventoryRow> rows = inventoryRows(withDrift(scans, baselines));
    const bool json = command.format.isEmpty() ? wantsJson(command.output)
                                               : command.format == QLatin1String("json");
    if (!writeOut(command.output, json ? toJson(rows) : toCsv(rows)))
        return SomeFailed;
    for (const ServerScan& scan : scans)
        if (scan.status != status::Success)
            return SomeFailed;
    return AllDone;
}

} // namespace

int main(int argc, char** argv) {
    smb::enableConcurrentNetworks();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(corvane::version::fileVersion));
    const cli::Command command = cli::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!command.usageError.isEmpty())
        return usage(command.usageError);
    switch (command.kind) {
    case cli::Command::Kind::Help:
        say(stdout, cli::usageText());
        return AllDone;
    case cli::Command::Kind::Version:
        say(stdout, QStringLiteral("corvane-cli %1").arg(QCoreApplication::applicationVersion()));
        return AllDone;
    default:
        break;
    }
    std::unique_ptr<SharedLogon> logon;
    if (!command.authenticationFile.isEmpty()) {
        cli::AuthenticationFile read = cli::readAuthenticationFile(command.authenticationFile);
        if (!read.logon)
            return usage(QStringLiteral("the authentication file %1 could not be read: %2")
                             .arg(command.authenticationFile, read.error));
        logon = std::make_unique<SharedLogon>(std::move(*read.logon));
    } else {
        // The ticket only: nobody is there to ask.
        logon = std::make_unique<SharedLogon>(SharedLogon::Ask{});
    }
    const smb::SmbOptions options = scanOptions({});
    switch (command.kind) {
    case cli::Command::Kind::List:
        return list(command, *logon, options);
    case cli::Command::Kind::Export:
        return exportShares(command, *logon, options);
    case cli::Command::Kind::Inventory:
        return inventory(command, *logon, options);
    default:
        return AllDone;
    }
}
