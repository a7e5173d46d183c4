#include "CommandLine.h"

#include "platform/LogonName.h"
#include "platform/Secret.h"
#include "ui/Text.h"

#include <QFile>

#include <algorithm>
#include <string.h>

namespace corvane::cli {

namespace {

// No authentication file is longer; a longer one is not read.
constexpr qint64 MaxAuthenticationFileSize = 64 * 1024;

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  corvane-cli list SERVER\n"
        "  corvane-cli export SERVER FILE [--all]\n"
        "  corvane-cli inventory [--jobs N] [--baseline FILE|DIR] [--format csv|json]\n"
        "                        [--output FILE] SERVER...|--servers-file FILE\n"
        "  corvane-cli --help | --version\n"
        "\n"
        "Every command takes --authentication-file FILE (username, password and domain lines,\n"
        "as Samba's tools read them); without one, the Kerberos ticket is used.\n"
        "Nothing is written to any server. Exit status: 0 all done, 1 some servers failed,\n"
        "2 usage error.\n");
}

Command parseCommandLine(const QStringList& arguments) {
    Command command;
    QStringList positional;
    const auto fail = [&command](const QString& why) {
        if (command.usageError.isEmpty())
            command.usageError = why;
    };
    bool helpOrVersion = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a value").arg(a));
            into = arguments[++i];
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            command.kind = Command::Kind::Help;
            helpOrVersion = true;
        } else if (a == QLatin1String("--version")) {
            command.kind = Command::Kind::Version;
            helpOrVersion = true;
        } else if (a == QLatin1String("--all")) {
            command.all = true;
        } else if (a == QLatin1String("--jobs")) {
            QString jobs;
            value(jobs);
            bool ok = false;
            command.jobs = jobs.toInt(&ok);
            if (!ok || command.jobs < 1 || command.jobs > 32)
                fail(QStringLiteral("--jobs takes a number from 1 to 32"));
        } else if (a == QLatin1String("--baseline")) {
            value(command.baseline);
        } else if (a == QLatin1String("--format")) {
            value(command.format);
            if (command.format != QLatin1String("csv") && command.format != QLatin1String("json"))
                fail(QStringLiteral("--format takes csv or json"));
        } else if (a == QLatin1String("--output")) {
            value(command.output);
        } else if (a == QLatin1String("--servers-file")) {
            value(command.serversFile);
        } else if (a == QLatin1String("--authentication-file") || a == QLatin1String("-A")) {
            value(command.authenticationFile);
        } else if (a == QLatin1String("--password") || a == QLatin1String("-p")) {
            fail(QStringLiteral("a password is never taken on the command line: use "
                                "--authentication-file"));
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            fail(QStringLiteral("unknown option %1").arg(a));
        } else {
            positional << a;
        }
    }
    if (helpOrVersion) {
        command.usageError.clear();
        return command;
    }
    if (positional.isEmpty()) {
        fail(QStringLiteral("no command given"));
        return command;
    }
    const QString verb = positional.takeFirst();
    if (verb == QLatin1String("list")) {
        command.kind = Command::Kind::List;
        if (positional.size() != 1)
            fail(QStringLiteral("list takes one server"));
        else
            command.servers = positional;
    } else if (verb == QLatin1String("export")) {
        command.kind = Command::Kind::Export;
        if (positional.size() != 2)
            fail(QStringLiteral("export takes a server and a file"));
        else {
            command.servers = {positional[0]};
            command.file = positional[1];
        }
    } else if (verb == QLatin1String("inventory")) {
        command.kind = Command::Kind::Inventory;
        command.servers = positional;
        if (command.servers.isEmpty() == command.serversFile.isEmpty())
            fail(QStringLiteral("inventory takes servers or --servers-file, one of the two"));
    } else {
        fail(QStringLiteral("unknown command %1").arg(verb));
    }
    return command;
}

AuthenticationFile readAuthenticationFile(const QString& fileName) {
    AuthenticationFile out;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = file.errorString();
        return out;
    }
    if (file.size() > MaxAuthenticationFileSize) {
        out.error = QStringLiteral("the file is too large");
        return out;
    }
    QByteArray bytes = file.read(MaxAuthenticationFileSize + 1);
    QString user, domain;
    std::optional<Secret> password;
    qsizetype lineNumber = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        ++lineNumber;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            out.error = QStringLiteral("line %1 is not \"name = value\"").arg(lineNumber);
            break;
        }
        const QByteArray key = line.left(eq).trimmed().toLower();
        QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "username") {
            user = QString::fromUtf8(value);
        } else if (key == "password") {
            QString text = QString::fromUtf8(value);
            password = Secret::ofSize(static_cast<std::size_t>(text.size()));
            std::copy(text.utf16(), text.utf16() + text.size(), password->data());
            text.fill(QChar(0));
            value.fill('\0');
        } else if (key == "domain") {
            domain = QString::fromUtf8(value);
        } else {
            out.error = QStringLiteral("line %1 names %2, which is not username, password or "
                                       "domain")
                            .arg(QString::number(lineNumber), QString::fromUtf8(key));
            break;
        }
    }
    // The password's bytes stay nowhere but in the secret.
    explicit_bzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (!out.error.isEmpty())
        return out;
    if (user.isEmpty()) {
        out.error = QStringLiteral("no username line");
        return out;
    }
    auto [name, logonDomain] = splitLogonName(toU16(user), toU16(domain));
    out.logon = Credentials{std::move(name), std::move(logonDomain),
                            password ? std::move(*password) : Secret()};
    return out;
}

} // namespace corvane::cli
