#pragma once

#include "shares/AppContext.h"
#include "shares/ShareChanges.h"

#include <QObject>

class QAction;
class QWidget;

namespace corvane {

class TFindReplaceTextForm1;

// Which items of the shares menu are enabled, from the number of rows and of selected rows.
struct SharesMenuEnabling {
    bool deleteSelected = false;
    bool hideSelected = false;
    bool findReplaceText = false;
};
SharesMenuEnabling sharesMenuEnabling(int rowCount, int selectedCount);

// The operations of the main window's shares menu on the selected shares of the opened
// computer: delete, hide (re-create as name$, then remove) and find and replace.
class ShareMenuHandlers : public QObject {
    Q_OBJECT
public:
    // `owner` owns the confirmations and error boxes (the main window).
    ShareMenuHandlers(AppContext& ctx, QWidget* owner, TFindReplaceTextForm1* findReplaceForm);

    // Sets the items' enabling; called each time before the menu opens.
    void SharesMenu1Popup(QAction* deleteSelected, QAction* hideSelected, QAction* findReplaceText);
    void DeleteSelected1Click();
    void HideSelected1Click();
    // Shows the find-and-replace dialog modally, then reloads the main list however it closed.
    void FindReplaceText1Click();

private:
    // Asks whether to go on after a share could not be removed; true for Yes.
    bool goOnAfterFailedRemoval(const QString& name, const ChangeOutcome& removed);
    AppContext& m_ctx;
    QWidget* m_owner;
    TFindReplaceTextForm1* m_findReplaceForm;
};

} // namespace corvane
