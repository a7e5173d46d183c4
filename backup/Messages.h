#pragma once

#include "platform/ShareService.h"

#include <QString>
#include <QStringList>

// Every text export and import show: their message boxes, why the share file reader refuses a
// file, the preview's state column and why a share cannot be imported, and the lines of the
// import report. Built the one way the program builds texts (see maintenance/Messages.h).
namespace corvane::backup_text {

// Message boxes.
inline QString writeFailed(const QString& fileName, const QString& failure) {
    return QStringLiteral("Could not write %1:\n%2").arg(fileName, failure);
}
inline QString importRefused(const QString& fileName, const QString& problem) {
    return QStringLiteral("Could not import %1:\n%2").arg(fileName, problem);
}
inline QString fileTooLarge() {
    return QStringLiteral("The file is larger than 64 MiB.");
}
inline QString outOfMemory() {
    return QStringLiteral("There is not enough memory to read the file.");
}
inline QString textTooLong(qint64 offset) {
    return QStringLiteral("The text at byte %1 is longer than 1 MiB.").arg(QString::number(offset));
}
inline QString controlCharacter(qint64 offset) {
    return QStringLiteral("The text at byte %1 holds a control character that is not escaped.")
        .arg(QString::number(offset));
}
inline QString tooManyShares(qsizetype count, qsizetype most) {
    return QStringLiteral("The file holds %1 shares; one file may hold at most %2.")
        .arg(QString::number(count), QString::number(most));
}

// The share file reader's refusals. A refused field is named with the place of its object,
// "Share 2 (Data), entry 1: field "access" must be a text.", or alone at the top level.
inline QString notJson(const QString& error, qint64 offset) {
    return QStringLiteral("The file is not JSON: %1 at byte %2.")
        .arg(error, QString::number(offset));
}
inline QString notJsonObject() {
    return QStringLiteral("The file does not hold a JSON object.");
}
inline QString versionUnsupported(qint64 version, int supported) {
    return QStringLiteral("Version %1 is not supported; this program reads version %2.")
        .arg(QString::number(version), QString::number(supported));
}
inline QString sharePlace(qsizetype index) {
    return QStringLiteral("Share %1").arg(QString::number(index + 1));
}
inline QString sharePlaceNamed(qsizetype index, const QString& name) {
    return QStringLiteral("Share %1 (%2)").arg(QString::number(index + 1), name);
}
inline QString entryPlace(const QString& sharePlace, qsizetype index) {
    return QStringLiteral("%1, entry %2").arg(sharePlace, QString::number(index + 1));
}
// The prefix a place gives the fields it holds.
inline QString fieldsOf(const QString& place) {
    return QStringLiteral("%1: ").arg(place);
}
inline QString notAnObject(const QString& place) {
    return QStringLiteral("%1 is not an object.").arg(place);
}
// `fieldsPrefix`: fieldsOf() of the object's place, empty at the top level.
inline QString fieldRefused(const QString& fieldsPrefix, const QString& key,
                            const QString& problem) {
    if (fieldsPrefix.isEmpty())
        return QStringLiteral("Field \"%1\" %2.").arg(key, problem);
    return QStringLiteral("%1field \"%2\" %3.").arg(fieldsPrefix, key, problem);
}
inline QString missing() {
    return QStringLiteral("is missing");
}
inline QString notText() {
    return QStringLiteral("must be a text");
}
inline QString notTextOrNull() {
    return QStringLiteral("must be a text or null");
}
inline QString notList() {
    return QStringLiteral("must be a list");
}
// `range`: one of the ranges below.
inline QString outOfRange(const QString& range) {
    return QStringLiteral("must be %1").arg(range);
}
inline QString wholeNumber() {
    return QStringLiteral("a whole number");
}
inline QString typeRange() {
    return QStringLiteral("a whole number from 0 to 4294967295");
}
inline QString userLimitRange() {
    return QStringLiteral("-1 (no limit) or a whole number from 0");
}
inline QString nullCharacter() {
    return QStringLiteral("holds a null character");
}
inline QString notUnicode() {
    return QStringLiteral("holds text that is not valid Unicode");
}
inline QString notBase64() {
    return QStringLiteral("is not base64");
}
inline QString notSecurityDescriptor() {
    return QStringLiteral("does not parse as a security descriptor");
}
inline QString notSid() {
    return QStringLiteral("is not a SID");
}
inline QString notDateTime() {
    return QStringLiteral("is not a date and time in ISO 8601 form");
}

// Import.
inline QString creationFailed(const QString& shareName, Status status) {
    return QStringLiteral("Could not create share %1(%2).\nContinue?")
        .arg(shareName, QString::number(status));
}

inline QString creationUnansweredGoOn(const QString& shareName, Status status) {
    return QStringLiteral("The server did not answer whether share %1 was created (%2).\nContinue?")
        .arg(shareName, QString::number(status));
}

// Why a share of the file cannot be imported.
inline QString noName() {
    return QStringLiteral("no name");
}
inline QString forbiddenCharacter() {
    return QStringLiteral("the name holds a character share names cannot hold");
}
inline QString nameTooLong() {
    return QStringLiteral("the name is longer than 80 characters");
}
inline QString nameRepeated() {
    return QStringLiteral("a share of this name comes earlier in the file");
}
inline QString noPath() {
    return QStringLiteral("no path");
}
inline QString pathWithoutDirectory(const QString& path) {
    return QStringLiteral("the path %1 has no directory to put under the new parent").arg(path);
}
// `flaw`: what the path check found, "/" or a component of dots.
inline QString pathFlaw(const QString& path, const QString& flaw) {
    if (flaw == QLatin1String("/"))
        return QStringLiteral("the path %1 holds a \"/\", which the server would read as a "
                              "separator")
            .arg(path);
    return QStringLiteral("the path %1 holds a \"%2\" component, which names no directory of its "
                          "own")
        .arg(path, flaw);
}
inline QString unreadable(Status status) {
    return QStringLiteral("the share could not be read on the computer (%1)")
        .arg(QString::number(status));
}

// The preview's state column; the differences are named by these words.
inline QString differingPath() {
    return QStringLiteral("path");
}
inline QString differingComment() {
    return QStringLiteral("comment");
}
inline QString differingLimit() {
    return QStringLiteral("limit");
}
inline QString differingPermissions() {
    return QStringLiteral("permissions");
}
inline QString differingPermissionsNoneInFile() {
    return QStringLiteral("permissions (none in the file)");
}
inline QString stateNew() {
    return QStringLiteral("new");
}
inline QString stateSame() {
    return QStringLiteral("same");
}
inline QString stateDiffers(const QStringList& differences) {
    return QStringLiteral("differs: %1").arg(differences.join(QStringLiteral(", ")));
}
inline QString stateInvalid(const QString& reason) {
    return QStringLiteral("invalid: %1").arg(reason);
}

// The import report: one line per share, "{name}: " followed by what came of it.
inline QString reportLine(const QString& shareName, const QString& what) {
    return QStringLiteral("%1: %2").arg(shareName, what);
}
inline QString notImported(const QString& reason) {
    return QStringLiteral("Not imported: %1.").arg(reason);
}
inline QString leftSame() {
    return QStringLiteral("Already the same; left as it is.");
}
inline QString leftDiffering() {
    return QStringLiteral("Differs; left as it is.");
}
inline QString created() {
    return QStringLiteral("Created.");
}
inline QString creationUnanswered(Status status) {
    return QStringLiteral("The server did not answer whether it was created (%1); it may be there.")
        .arg(QString::number(status));
}
inline QString notCreated(Status status) {
    return QStringLiteral("Could not be created (%1).").arg(QString::number(status));
}
inline QString notRead(Status status) {
    return QStringLiteral("Could not be read (%1).").arg(QString::number(status));
}
inline QString replaced() {
    return QStringLiteral("Replaced.");
}
// The file holds no descriptor for a share whose permissions are all that differ.
inline QString permissionsNotReplaced() {
    return QStringLiteral("Not replaced: only the permissions differ, and the file holds none; "
                          "the computer's are kept.");
}
inline QString replacedButPermissions() {
    return QStringLiteral("Replaced, but not the permissions: the file holds none; the "
                          "computer's are kept.");
}
inline QString notReplaced(Status status) {
    return QStringLiteral("Could not be replaced (%1).").arg(QString::number(status));
}
inline QString notReplacedLeftAsItWas(Status status) {
    return QStringLiteral("Could not be replaced (%1); left as it was.")
        .arg(QString::number(status));
}
// The change journal could not record the replacement, so nothing was sent.
inline QString notReplacedNotRecorded() {
    return QStringLiteral("Not replaced: the change could not be recorded; left as it was.");
}
// `consequence`: what the failed re-creation left behind.
inline QString notReplacedWith(Status status, const QString& consequence) {
    return QStringLiteral("Could not be replaced (%1). %2")
        .arg(QString::number(status), consequence);
}

} // namespace corvane::backup_text
