#pragma once

#include "shares/AppContext.h"

#include <QObject>
#include <QString>

class QAction;
class QWidget;

namespace corvane {

// The seam through which export and import ask for a file name, so that tests can answer.
// Empty when cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QString saveFileName(QWidget* owner, const QString& suggested) = 0;
    virtual QString openFileName(QWidget* owner) = 0;
};

// Qt's file dialogs; Qt's own where the platform offers none.
class QtFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* owner, const QString& suggested) override;
    QString openFileName(QWidget* owner) override;
};

// Export of share definitions to a file and import from one, with a preview: the two last
// commands of the shares menu.
class ShareBackup : public QObject {
    Q_OBJECT
public:
    // `owner` owns the boxes and the preview (the main window).
    ShareBackup(AppContext& ctx, QWidget* owner);

    // Tests answer the file dialogs; the program uses Qt's.
    void setFileDialogs(FileDialogs& dialogs) { m_dialogs = &dialogs; }

    // Both commands need an opened computer.
    void SharesMenu1Popup(QAction* exportShares, QAction* importShares);
    // Writes the selected shares, or all but the platform's own when none is selected.
    void ExportShares1Click();
    // Reads a file, shows the preview, and imports what is ticked there.
    void ImportShares1Click();

private:
    AppContext& m_ctx;
    QWidget* m_owner;
    QtFileDialogs m_qtDialogs;
    FileDialogs* m_dialogs = &m_qtDialogs;
};

} // namespace corvane
