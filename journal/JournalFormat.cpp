#include "JournalFormat.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <array>
#include <cmath>
#include <unordered_map>

namespace corvane::journal {

namespace {

// Longer escaped names are cut and given a hash, well below the 255 bytes a file name may take.
constexpr qsizetype MaxEscapedName = 150;
constexpr qsizetype MaxIdLength = 64;

struct WalkName {
    Walk walk;
    const char* name;
};
constexpr std::array<WalkName, 5> WalkNames{{{Walk::Apply, "apply"},
                                             {Walk::Hide, "hide"},
                                             {Walk::Delete, "delete"},
                                             {Walk::FindReplace, "find-replace"},
                                             {Walk::Import, "import"}}};

QString walkName(Walk walk) {
    for (const WalkName& w : WalkNames)
        if (w.walk == walk)
            return QLatin1String(w.name);
    return {};
}

std::optional<Walk> walkNamed(const QString& name) {
    for (const WalkName& w : WalkNames)
        if (name == QLatin1String(w.name))
            return w.walk;
    return std::nullopt;
}

QString timeText(const QDateTime& when) {
    return when.toUTC().toString(Qt::ISODateWithMs);
}

std::optional<QDateTime> timeFrom(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    QDateTime when = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!when.isValid())
        return std::nullopt;
    return when.toUTC();
}

std::optional<std::uint32_t> numberFrom(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= 0 && d <= 4294967295.0) || std::floor(d) != d)
        return std::nullopt;
    return static_cast<std::uint32_t>(d);
}

std::optional<std::u16string> textFrom(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    return value.toString().toStdU16String();
}

QJsonValue text(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QJsonObject encodeShare(const ShareInfo502& s) {
    QJsonObject o;
    o[QLatin1String("name")] = text(s.netname);
    o[QLatin1String("type")] = double(s.type);
    o[QLatin1String("path")] = text(s.path);
    o[QLatin1String("comment")] = text(s.remark);
    o[QLatin1String("permissions")] = double(s.permissions);
    o[QLatin1String("maxUses")] = double(s.maxUses);
    o[QLatin1String("currentUses")] = double(s.currentUses);
    o[QLatin1String("password")] = s.passwd ? text(*s.passwd) : QJsonValue();
    o[QLatin1String("reserved")] = double(s.reserved);
    const QByteArray sd(reinterpret_cast<const char*>(s.securityDescriptor.data()),
                        static_cast<qsizetype>(s.securityDescriptor.size()));
    o[QLatin1String("securityDescriptor")] =
        sd.isEmpty() ? QJsonValue() : QString::fromLatin1(sd.toBase64());
    return o;
}

std::optional<ShareInfo502> decodeShare(const QJsonObject& o) {
    ShareInfo502 s;
    const auto name = textFrom(o[QLatin1String("name")]);
    const auto path = textFrom(o[QLatin1String("path")]);
    const auto comment = textFrom(o[QLatin1String("comment")]);
    const auto type = numberFrom(o[QLatin1String("type")]);
    const auto permissions = numberFrom(o[QLatin1String("permissions")]);
    const auto maxUses = numberFrom(o[QLatin1String("maxUses")]);
    const auto currentUses = numberFrom(o[QLatin1String("currentUses")]);
    const auto reserved = numberFrom(o[QLatin1String("reserved")]);
    if (!name || name->empty() || !path || !comment || !type || !permissions || !maxUses ||
        !currentUses || !reserved)
        return std::nullopt;
    s.netname = *name;
    s.path = *path;
    s.remark = *comment;
    s.type = *type;
    s.permissions = *permissions;
    s.maxUses = *maxUses;
    s.currentUses = *currentUses;
    s.reserved = *reserved;
    const QJsonValue password = o[QLatin1String("password")];
    if (password.isString())
        s.passwd = password.toString().toStdU16String();
    else if (!password.isNull() && !password.isUndefined())
        return std::nullopt;
    const QJsonValue sd = o[QLatin1String("securityDescriptor")];
    if (sd.isString()) {
        const QString encoded = sd.toString();
        if (encoded.size() > MaxDescriptorBytes / 3 * 4 + 4)
            return std::nullopt;
        const auto decoded = QByteArray::fromBase64Encoding(
            encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || decoded.decoded.isEmpty())
            return std::nullopt;
        s.securityDescriptor.assign(decoded.decoded.begin(), decoded.decoded.end());
    } else if (!sd.isNull() && !sd.isUndefined()) {
        return std::nullopt;
    }
    return s;
}

bool validId(const QJsonValue& value) {
    return value.isString() && !value.toString().isEmpty() &&
           value.toString().size() <= MaxIdLength;
}

QByteArray line(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QString normaliseServer(const QString& typed) {
    QString name = typed.trimmed();
    while (name.startsWith(QLatin1Char('\\')))
        name.remove(0, 1);
    return name.toLower();
}

QString journalFileName(const QString& server) {
    const QByteArray utf8 = normaliseServer(server).toUtf8();
    QString escaped;
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_' || b == '.')
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("%%1").arg(uint(b), 2, 16, QLatin1Char('0')).toUpper();
    }
    // "." and ".." stay file names once the extension is added; an empty name gets one too.
    if (escaped.size() > MaxEscapedName || escaped.isEmpty()) {
        const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256);
        escaped = escaped.left(MaxEscapedName) + QLatin1Char('~') +
                  QString::fromLatin1(hash.toHex().left(16));
    }
    return escaped + QStringLiteral(".jsonl");
}

QByteArray encodeEntry(const Entry& entry) {
    QJsonObject o;
    o[QLatin1String("entry")] = entry.id;
    o[QLatin1String("time")] = timeText(entry.begun);
    o[QLatin1String("server")] = normaliseServer(entry.server);
    o[QLatin1String("walk")] = walkName(entry.walk);
    o[QLatin1String("share")] = encodeShare(entry.share);
    QJsonObject to;
    to[QLatin1String("name")] = text(entry.newName);
    to[QLatin1String("path")] = text(entry.newPath);
    o[QLatin1String("to")] = to;
    return line(o);
}

QByteArray encodeFinish(const QString& id, const QDateTime& when, const QString& outcome) {
    QJsonObject o;
    o[QLatin1String("finished")] = id;
    o[QLatin1String("time")] = timeText(when);
    o[QLatin1String("outcome")] = outcome;
    return line(o);
}

namespace {

std::optional<Entry> decodeEntry(const QJsonObject& o, const QString& server) {
    const auto begun = timeFrom(o[QLatin1String("time")]);
    const auto walk = walkNamed(o[QLatin1String("walk")].toString());
    const QJsonValue entryServer = o[QLatin1String("server")];
    const QJsonValue share = o[QLatin1String("share")];
    const QJsonValue to = o[QLatin1String("to")];
    if (!validId(o[QLatin1String("entry")]) || !begun || !walk || !entryServer.isString() ||
        normaliseServer(entryServer.toString()) != server || !share.isObject() || !to.isObject())
        return std::nullopt;
    auto record = decodeShare(share.toObject());
    const auto newName = textFrom(to.toObject()[QLatin1String("name")]);
    const auto newPath = textFrom(to.toObject()[QLatin1String("path")]);
    if (!record || !newName || !newPath)
        return std::nullopt;
    Entry e;
    e.id = o[QLatin1String("entry")].toString();
    e.begun = *begun;
    e.server = server;
    e.walk = *walk;
    e.share = std::move(*record);
    e.newName = *newName;
    e.newPath = *newPath;
    return e;
}

} // namespace

ReadResult readJournal(QByteArrayView bytes, const QString& server) {
    ReadResult result;
    const QString self = normaliseServer(server);
    std::unordered_map<QString, std::size_t> byId;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', at);
        const bool terminated = end >= 0;
        if (!terminated)
            end = bytes.size();
        const QByteArrayView text = bytes.sliced(at, end - at);
        at = end + 1;
        if (text.trimmed().isEmpty())
            continue;
        bool read = false;
        QJsonParseError error{};
        const QJsonDocument doc = text.size() <= MaxLineBytes
                                      ? QJsonDocument::fromJson(text.toByteArray(), &error)
                                      : QJsonDocument();
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            const QJsonObject o = doc.object();
            if (o.contains(QLatin1String("entry"))) {
                auto entry = decodeEntry(o, self);
                if (entry && !byId.contains(entry->id)) {
                    entry->beginLine = text.toByteArray() + '\n';
                    byId.emplace(entry->id, result.entries.size());
                    result.entries.push_back(std::move(*entry));
                    read = true;
                }
            } else if (validId(o[QLatin1String("finished")])) {
                const auto when = timeFrom(o[QLatin1String("time")]);
                const auto found = byId.find(o[QLatin1String("finished")].toString());
                // A finish of an entry not read (cut away, of another server) says nothing.
                if (when && found != byId.end()) {
                    Entry& entry = result.entries[found->second];
                    if (!entry.finished) {
                        entry.finished = *when;
                        entry.outcome = o[QLatin1String("outcome")].toString();
                        entry.finishLine = text.toByteArray() + '\n';
                    }
                }
                read = when.has_value();
            }
        }
        if (!read) {
            ++result.unreadableLines;
            if (!terminated)
                result.tornLastLine = true;
        }
    }
    return result;
}

} // namespace corvane::journal
