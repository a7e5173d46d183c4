#include "ShareFile.h"

#include "Messages.h"
#include "platform/SecurityDescriptor.h"
#include "platform/Sid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <new>
#include <span>

namespace corvane {

namespace {

const QString Version = QStringLiteral("version");
const QString Computer = QStringLiteral("computer");
const QString Exported = QStringLiteral("exported");
const QString Shares = QStringLiteral("shares");
const QString Name = QStringLiteral("name");
const QString Type = QStringLiteral("type");
const QString Path = QStringLiteral("path");
const QString Comment = QStringLiteral("comment");
const QString MaxUsers = QStringLiteral("maxUsers");
const QString Descriptor = QStringLiteral("securityDescriptor");
const QString Entries = QStringLiteral("entries");
const QString Account = QStringLiteral("account");
const QString SidField = QStringLiteral("sid");
const QString Access = QStringLiteral("access");

QString text(const std::u16string& value) {
    return QString::fromStdU16String(value);
}

QJsonValue optionalText(const std::optional<QString>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// The most bytes one text of the file may take: far beyond any name, path, comment or
// descriptor the services hold.
constexpr qsizetype MaxTextBytes = 1024 * 1024;

// What is wrong with the texts of the file, looked for before the JSON parser builds anything
// from it: a text longer than MaxTextBytes, of which the parser and the reader would make
// copies many times the file's size, or a control character left unescaped, which JSON does
// not allow in a text (the parser lets it through, and the export, escaping it, would write a
// longer text than it read). Outside texts JSON gives quotes and backslashes no meaning;
// whatever else is not JSON the parser refuses after. Empty when nothing is wrong.
QString textProblemOf(QByteArrayView bytes) {
    qsizetype start = -1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (start < 0) {
            if (c == '"')
                start = i;
            continue;
        }
        if (c == '\\')
            ++i;
        else if (c == '"')
            start = -1;
        else if (c < 0x20)
            return backup_text::controlCharacter(i);
        if (start >= 0 && i - start > MaxTextBytes)
            return backup_text::textTooLong(start);
    }
    return {};
}

// A failed check, carrying its message out of the nested readers.
struct Refusal {
    QString message;
};

// Reads the fields of one JSON object; every message names where the object sits.
class Fields {
public:
    Fields(const QJsonObject& object, QString where)
        : m_object(object), m_where(std::move(where)) {}

    QJsonValue required(const QString& key) const {
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd())
            refuse(key, backup_text::missing());
        return it.value();
    }

    QString string(const QString& key) const {
        const QJsonValue value = required(key);
        if (!value.isString())
            refuse(key, backup_text::notText());
        return checked(key, value.toString());
    }

    std::optional<QString> stringOrNull(const QString& key) const {
        const QJsonValue value = required(key);
        if (value.isNull())
            return std::nullopt;
        if (!value.isString())
            refuse(key, backup_text::notTextOrNull());
        return checked(key, value.toString());
    }

    // A whole number from `min` to `max`.
    qint64 integer(const QString& key, qint64 min, qint64 max, const QString& range) const {
        const QJsonValue value = required(key);
        const double number = value.toDouble();
        if (!value.isDouble() || !std::isfinite(number) || std::trunc(number) != number ||
            number < static_cast<double>(min) || number > static_cast<double>(max))
            refuse(key, backup_text::outOfRange(range));
        return static_cast<qint64>(number);
    }

    QJsonArray array(const QString& key) const {
        const QJsonValue value = required(key);
        if (!value.isArray())
            refuse(key, backup_text::notList());
        return value.toArray();
    }

    [[noreturn]] void refuse(const QString& key, const QString& problem) const {
        throw Refusal{backup_text::fieldRefused(m_where, key, problem)};
    }

private:
    // The services take text up to a null character; one inside would cut the value short.
    QString checked(const QString& key, const QString& value) const {
        if (value.contains(QChar(u'\0')))
            refuse(key, backup_text::nullCharacter());
        if (!value.isValidUtf16())
            refuse(key, backup_text::notUnicode());
        return value;
    }

    QJsonObject m_object;
    QString m_where;
};

QJsonObject objectAt(const QJsonArray& list, qsizetype index, const QString& what) {
    if (!list.at(index).isObject())
        throw Refusal{backup_text::notAnObject(what)};
    return list.at(index).toObject();
}

std::vector<std::uint8_t> descriptorBytes(const Fields& fields) {
    const std::optional<QString> encoded = fields.stringOrNull(Descriptor);
    if (!encoded)
        return {};
    const QByteArray latin1 = encoded->toLatin1();
    const QByteArray::FromBase64Result result = QByteArray::fromBase64Encoding(
        latin1, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    // Only the form the export writes: no missing or extra padding, no other characters.
    if (!result || result.decoded.isEmpty() || result.decoded.toBase64() != latin1)
        fields.refuse(Descriptor, backup_text::notBase64());
    const auto* data = reinterpret_cast<const std::uint8_t*>(result.decoded.constData());
    std::vector<std::uint8_t> bytes(data, data + result.decoded.size());
    if (!SecurityDescriptor::parse(bytes))
        fields.refuse(Descriptor, backup_text::notSecurityDescriptor());
    return bytes;
}

ReadableEntry readEntry(const QJsonObject& object, const QString& where) {
    const Fields fields(object, where);
    ReadableEntry entry;
    entry.account = fields.stringOrNull(Account);
    entry.sid = fields.stringOrNull(SidField);
    // The length first: a text far longer than any SID is not copied to be parsed.
    if (entry.sid && (static_cast<std::size_t>(entry.sid->size()) > Sid::MaxTextLength ||
                      !Sid::fromString(entry.sid->toStdString())))
        fields.refuse(SidField, backup_text::notSid());
    entry.type = fields.string(Type);
    entry.access = fields.string(Access);
    return entry;
}

ExportedShare readShare(const QJsonObject& object, qsizetype index) {
    QString where = backup_text::sharePlace(index);
    // The name helps to find the share, unless it is the problem itself.
    if (const QString name = object.value(Name).toString();
        !name.isEmpty() && !name.contains(QChar(u'\0')) && name.isValidUtf16())
        where = backup_text::sharePlaceNamed(index, name);
    const Fields fields(object, backup_text::fieldsOf(where));

    ExportedShare share;
    ShareInfo502& r = share.record;
    r.netname = fields.string(Name).toStdU16String();
    r.type =
        static_cast<std::uint32_t>(fields.integer(Type, 0, 0xFFFFFFFF, backup_text::typeRange()));
    r.path = fields.string(Path).toStdU16String();
    r.remark = fields.string(Comment).toStdU16String();
    // -1 is no limit, all bits set.
    r.maxUses = static_cast<std::uint32_t>(
        fields.integer(MaxUsers, -1, 0xFFFFFFFE, backup_text::userLimitRange()));
    r.securityDescriptor = descriptorBytes(fields);
    const QJsonArray entries = fields.array(Entries);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString entryWhere = backup_text::entryPlace(where, i);
        share.entries.append(
            readEntry(objectAt(entries, i, entryWhere), backup_text::fieldsOf(entryWhere)));
    }
    return share;
}

ShareFile readFile(const QJsonObject& root) {
    const Fields fields(root, QString());
    const qint64 version = fields.integer(Version, 0, 0x7FFFFFFF, backup_text::wholeNumber());
    if (version != ShareFileVersion)
        throw Refusal{backup_text::versionUnsupported(version, ShareFileVersion)};
    ShareFile file;
    file.computer = fields.string(Computer);
    file.exported = QDateTime::fromString(fields.string(Exported), Qt::ISODate);
    if (!file.exported.isValid())
        fields.refuse(Exported, backup_text::notDateTime());
    file.exported = file.exported.toUTC();
    const QJsonArray shares = fields.array(Shares);
    if (shares.size() > MaxSharesPerFile)
        throw Refusal{backup_text::tooManyShares(shares.size(), MaxSharesPerFile)};
    file.shares.reserve(static_cast<std::size_t>(shares.size()));
    for (qsizetype i = 0; i < shares.size(); ++i)
        file.shares.push_back(readShare(objectAt(shares, i, backup_text::sharePlace(i)), i));
    return file;
}

} // namespace

QByteArray writeShareFile(const ShareFile& file) {
    QJsonArray shares;
    for (const ExportedShare& share : file.shares) {
        const ShareInfo502& r = share.record;
        QJsonArray entries;
        for (const ReadableEntry& e : share.entries)
            entries.append(QJsonObject{{Account, optionalText(e.account)},
                                       {SidField, optionalText(e.sid)},
                                       {Type, e.type},
                                       {Access, e.access}});
        QJsonValue descriptor(QJsonValue::Null);
        if (!r.securityDescriptor.empty())
            descriptor = QString::fromLatin1(
                QByteArray(reinterpret_cast<const char*>(r.securityDescriptor.data()),
                           static_cast<qsizetype>(r.securityDescriptor.size()))
                    .toBase64());
        shares.append(QJsonObject{
            {Name, text(r.netname)},
            {Type, static_cast<double>(r.type)},
            {Path, text(r.path)},
            {Comment, text(r.remark)},
            {MaxUsers, r.maxUses == NoUserLimit ? -1.0 : static_cast<double>(r.maxUses)},
            {Descriptor, descriptor},
            {Entries, entries},
        });
    }
    const QJsonObject root{
        {Version, ShareFileVersion},
        {Computer, file.computer},
        {Exported, file.exported.toUTC().toString(Qt::ISODate)},
        {Shares, shares},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

ShareFileReadResult readShareFile(QByteArrayView bytes) {
    if (bytes.size() > MaxShareFileSize)
        return {std::nullopt, backup_text::fileTooLarge()};
    if (QString problem = textProblemOf(bytes); !problem.isEmpty())
        return {std::nullopt, std::move(problem)};
    try {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray::fromRawData(bytes.data(), bytes.size()), &parseError);
        if (parseError.error != QJsonParseError::NoError)
            return {std::nullopt,
                    backup_text::notJson(parseError.errorString(), parseError.offset)};
        if (!document.isObject())
            return {std::nullopt, backup_text::notJsonObject()};
        return {readFile(document.object()), QString()};
    } catch (const Refusal& refusal) {
        return {std::nullopt, refusal.message};
    } catch (const std::bad_alloc&) {
        // A file within the size limit can still hold more than this computer can take in.
        return {std::nullopt, backup_text::outOfMemory()};
    }
}

} // namespace corvane
