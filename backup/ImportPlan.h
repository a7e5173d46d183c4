#pragma once

#include "ShareFile.h"
#include "platform/ShareService.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace corvane {

class ChangeJournal;

// What the opened computer holds under the name of one share of the file: `status` is Success
// with the share in `record`, NetNameNotFound when there is none, anything else when it could
// not be read.
struct ExistingShare {
    Status status = status::NetNameNotFound;
    ShareInfo502 record;
};

// Reads into `out`, for each share of the file in order, the share of the same name on
// `computer`; a share that could not be read says why in its own status. Cancelled when the
// user cancelled a read: one Cancel ends them all, and `out` is then empty.
Status readExisting(ShareService& service, const std::u16string& computer, const ShareFile& file,
                    std::vector<ExistingShare>& out);

// One row of the import preview: a share of the file as it would be created, and how it stands
// against the opened computer.
struct ImportRow {
    enum class State { New, Same, Differs, Invalid };
    State state = State::New;
    ShareInfo502 record;     // what the import sends: the file's share, its path re-rooted,
                             // its name spelt as on the computer when the share exists
    QStringList differences; // for Differs: "path", "comment", "limit", "permissions"
    QString invalidReason;   // for Invalid
    ShareInfo502 existing;   // for Same and Differs: the share on the computer
};

// "new", "same", "differs: path, comment", "invalid: {reason}".
QString stateText(const ImportRow& row);

// The preview rows, one per share of the file in order. A non-empty `newParent` re-roots every
// path as a copy between computers does: the parent followed by the path's last component.
// A path with a "." or ".." component or a "/" is invalid, re-rooted or not.
// `existing` holds readExisting's answer for each share.
std::vector<ImportRow> planImport(const ShareFile& file, const QString& newParent,
                                  const std::vector<ExistingShare>& existing);

// New shares and shares that differ start ticked; invalid ones cannot be ticked.
bool tickedByDefault(const ImportRow& row);

enum class ImportAction { Create, Replace, Skip };
// Shares that exist are changed only when replacing is asked for, and only when they differ.
ImportAction importAction(ImportRow::State state, bool replaceExisting);

// What importing one ticked row came to: a status line for the dialog's list, and when it
// failed the text of a Yes/No box (Yes goes on with the next share, No ends the run).
struct ImportOutcome {
    bool ok = false;
    QString statusLine;
    QString errorText;
};

// Creates the share, or replaces the existing one by the rule Apply follows: in place when the
// name and path are unchanged, otherwise removed and added again, and restored when the
// addition fails. A share the file holds no descriptor for keeps the computer's permissions,
// and the report says they were not replaced: the file does not say who may use it. A
// re-creation is recorded in `changeJournal` first.
ImportOutcome importShare(ShareService& service, const std::u16string& computer,
                          const ImportRow& row, bool replaceExisting,
                          ChangeJournal* changeJournal = nullptr);

} // namespace corvane
