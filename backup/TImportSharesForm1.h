#pragma once

#include "ImportPlan.h"
#include "shares/AppContext.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace corvane {

// The import preview: one row per share of the file with a tick and its state against the
// opened computer, an optional new parent directory for the paths, whether shares that exist
// are replaced, and after Ok one status line per share imported.
class TImportSharesForm1 : public QDialog {
    Q_OBJECT
public:
    TImportSharesForm1(AppContext& ctx, ShareFile file, std::vector<ExistingShare> existing,
                       QWidget* parent = nullptr);

    // Re-plans the rows for the parent directory typed; ticks stay where the user left them.
    void ImportNewParentDir1Change();
    // Imports the ticked rows in order; after a failure a Yes/No box asks whether to go on.
    void Ok1Click();
    // Whether a run took place (the main list is reloaded then).
    bool ran() const { return m_ran; }

private:
    void fillList();

    AppContext& m_ctx;
    ShareFile m_file;
    std::vector<ExistingShare> m_existing;
    std::vector<ImportRow> m_rows;
    std::vector<bool> m_ticked;
    bool m_ran = false;

    QTreeWidget* ImportList1;
    QLineEdit* ImportNewParentDir1;
    QCheckBox* ReplaceExisting1;
    QPushButton* Ok1;
    QPushButton* Cancel1;
    QListWidget* ImportStatusList1;
};

} // namespace corvane
