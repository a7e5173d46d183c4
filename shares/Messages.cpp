#include "Messages.h"

#include "platform/LogonName.h"

namespace corvane::shares_text {

Step failedStep(Status failure) {
    switch (failure) {
    case status::LogonFailure:
    case status::NtlmBlocked:
        return Step::LoggingOn;
    case status::RpcCallFailed:
    case status::RpcProtocolError:
    case status::InvalidTag:
    case status::NotEnoughMemory:
        return Step::ReadingAnswer;
    case status::SemaphoreTimeout:
    case status::BadNetPath:
    case status::BadNetName:
    case status::NetworkBusy:
    case status::UnexpectedNetworkError:
    case status::NetNameDeleted:
    case status::BrokenPipe:
    case status::PipeNotConnected:
    case status::RpcServerUnavailable:
        return Step::Connecting;
    default:
        return Step::Listing;
    }
}

namespace {

QString words(Status failure, std::chrono::milliseconds bound) {
    switch (failure) {
    case status::SemaphoreTimeout:
        return QStringLiteral("did not answer within %1 s")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(bound).count());
    case status::BadNetPath:
        return QStringLiteral("no server was found at this name or address");
    case status::BadNetName:
        return QStringLiteral("the server offers no share service");
    case status::NetworkBusy:
        return QStringLiteral("the network is busy");
    case status::UnexpectedNetworkError:
        return QStringLiteral("the connection failed");
    case status::NetNameDeleted:
    case status::BrokenPipe:
    case status::PipeNotConnected:
        return QStringLiteral("the connection was closed");
    case status::RpcServerUnavailable:
        return QStringLiteral("the server's share service is not available");
    case status::LogonFailure:
        return QStringLiteral("logon failure");
    case status::NtlmBlocked:
        return QString::fromStdU16String(describeLogonFailure(failure));
    case status::AccessDenied:
        return QStringLiteral("access denied: this account may not list shares with their "
                              "security");
    case status::RpcCallFailed:
    case status::RpcProtocolError:
        return QStringLiteral("the server's answer could not be read");
    case status::InvalidTag:
        return QStringLiteral("the server answered at another level than asked");
    case status::NotEnoughMemory:
        return QStringLiteral("the answer is too large to hold");
    case status::Cancelled:
        return QStringLiteral("cancelled");
    default:
        return QStringLiteral("the server refused");
    }
}

QString stepWords(Step step) {
    switch (step) {
    case Step::Connecting:
        return QStringLiteral("connecting");
    case Step::LoggingOn:
        return QStringLiteral("logging on");
    case Step::Listing:
        return QStringLiteral("listing the shares");
    case Step::ReadingAnswer:
        return QStringLiteral("reading the answer");
    }
    return {};
}

} // namespace

QString reasonInWords(Status failure, std::chrono::milliseconds bound) {
    return QStringLiteral("%1 (%2)").arg(words(failure, bound), QString::number(failure));
}

QString sharesListed(const QString& server, int count) {
    if (count == 0)
        return QStringLiteral("No shares on %1").arg(server);
    if (count == 1)
        return QStringLiteral("1 share on %1").arg(server);
    return QStringLiteral("%1 shares on %2").arg(QString::number(count), server);
}

QString openFailed(const QString& server, Status failure, std::chrono::milliseconds bound) {
    if (failure == status::Cancelled)
        return QStringLiteral("Opening %1 was cancelled").arg(server);
    return QStringLiteral("Opening %1 failed while %2: %3")
        .arg(server, stepWords(failedStep(failure)), reasonInWords(failure, bound));
}

QString logonCancelled(const QString& server) {
    return QStringLiteral("Opening %1 failed while logging on: logon cancelled").arg(server);
}

QString endedEarly(const QString& work, Status failure, std::chrono::milliseconds bound) {
    return QStringLiteral("%1 stopped: %2").arg(work, reasonInWords(failure, bound));
}

QString waitCancelled(const QString& work) {
    return QStringLiteral("Cancelled: %1").arg(work);
}

QString walkStopped(const QString& work, int done, int total) {
    return QStringLiteral("%1: stopped after %2 of %3")
        .arg(work, QString::number(done), QString::number(total));
}

QString walkFetchFailed(Status status, const QString& shareName) {
    return QStringLiteral("A system error occured (%1)\nwhile requesting information about the "
                          "share %2.")
        .arg(QString::number(status), shareName);
}

QString fetchFailed(Status status, const QString& shareName) {
    if (shareName.isEmpty())
        return QStringLiteral("A system error has occured (%1) while\nrequesting information "
                              "about the share.")
            .arg(QString::number(status));
    return QStringLiteral("A system error has occured (%1) while\nrequesting information about "
                          "the share %2.")
        .arg(QString::number(status), shareName);
}

} // namespace corvane::shares_text
