#pragma once

#include "shares/AppContext.h"
#include "shares/SharedState.h"
#include "ui/ImageList.h"

#include <QMainWindow>
#include <QUrl>

#include <chrono>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;

namespace corvane {

class ChangeJournal;
class CopyFromPage;
class CreateFromDirectoryPage;
class SharePropertiesPage;
class ShareBackup;
class ShareMenuHandlers;
class TAboutForm1;
class TFindReplaceTextForm1;
class TSecurityForm1;
class TSessionsForm1;
struct Preferences;
class SessionService;

// The main window: the computer box, the shares list, the three tab pages, the menus, and the
// state the pages share. It also creates the program's three dialogs, after its own
// construction, in the order find and replace, about, security.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(ShareService& shares, AccountService& accounts, DirectoryService& directories,
           MessageBoxes& messages, QWidget* parent = nullptr);
    ~TForm1() override;

    void OpenComputer1Click();
    void Close1Click();
    void SharesList1ColumnClick(int column);
    void Contents1Click();
    void QentisSoftware1Click();
    void About1Click();
    void Sessions1Click();
    void ShowOpenFiles1Click();
    void Preferences1Click();

    // The journal the walks record their changes in and an open recovers from.
    void setChangeJournal(ChangeJournal* journal) { m_context.journal = journal; }
    // The service behind the sessions window; without one its menu items stay disabled.
    void setSessionService(SessionService* service) { m_sessions = service; }
    // Told when the user changed the connection preferences.
    // What "Inventory of servers..." opens (the program's inventory window).
    void setInventoryHandler(std::function<void()> handler) { m_inventory = std::move(handler); }
    // Opens `computer` as Open does and selects `share` in the list.
    void openShare(const QString& computer, const QString& share);
    void setPreferencesHandler(std::function<void(const Preferences&)> handler) {
        m_preferencesChanged = std::move(handler);
    }
    // How many logon questions were cancelled so far, to tell a cancelled logon from a refused
    // one; and the wait after which a silent server counts as not answering.
    void setLogonCancels(std::function<int()> cancels) { m_logonCancels = std::move(cancels); }
    void setCallBound(std::chrono::milliseconds bound) { m_callBound = bound; }
    // Where walks over many shares show their progress and can be stopped.
    void setWalkProgress(WalkProgress* walks) { m_context.walks = walks; }
    // One line in the status bar (OpenStatus1): how the last open, or a wait without a box of
    // its own, ended.
    void showStatus(const QString& text);
    QString statusText() const;
    // Made when first opened.
    TSessionsForm1* sessionsForm() const { return m_sessionsForm; }

    SharedState& state() { return m_state; }
    AppContext& context() { return m_context; }
    const ImageList& images() const { return m_images; }
    TFindReplaceTextForm1* findReplaceTextForm() const { return m_findReplace; }
    TAboutForm1* aboutForm() const { return m_about; }
    TSecurityForm1* securityForm() const { return m_security; }
    // False when the default access lists could not be built; the program then ends.
    bool constructedOk() const { return m_constructedOk; }

    // How help and the maker's page are opened; tests replace it.
    std::function<bool(const QUrl&)> openUrl;
    static QUrl helpUrl();
    static QUrl makerUrl();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void buildPages();
    void showSharesMenu(const QPoint& pos);
    TSessionsForm1* sessionsWindow(); // null until a computer is opened
    // Offers back the shares of the opened computer that a crash left missing.
    void recoverFromJournal(const QString& computer);

    ImageList m_images;
    SharedState m_state;
    AppContext m_context;
    bool m_constructedOk = true;

    QLineEdit* Computer1 = nullptr;
    QPushButton* OpenComputer1 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* Close1 = nullptr;
    QToolButton* HelpButton1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QTreeWidget* SharesList1 = nullptr;
    QMenu* SharesMenu1 = nullptr;
    QMenu* HelpMenu1 = nullptr;
    QAction* DeleteSelected1 = nullptr;
    QAction* HideSelected1 = nullptr;
    QAction* FindReplaceText1 = nullptr;
    QAction* ExportShares1 = nullptr;
    QAction* ImportShares1 = nullptr;
    QAction* ShowOpenFiles1 = nullptr;
    QAction* Sessions1 = nullptr;
    QAction* Inventory1 = nullptr;
    QAction* Preferences1 = nullptr;
    QLabel* OpenStatus1 = nullptr;

    TFindReplaceTextForm1* m_findReplace = nullptr;
    TAboutForm1* m_about = nullptr;
    TSecurityForm1* m_security = nullptr;
    SharePropertiesPage* m_propertiesPage = nullptr;
    CopyFromPage* m_copyPage = nullptr;
    CreateFromDirectoryPage* m_createPage = nullptr;
    ShareMenuHandlers* m_menuHandlers = nullptr;
    ShareBackup* m_backup = nullptr;
    SessionService* m_sessions = nullptr;
    TSessionsForm1* m_sessionsForm = nullptr;
    std::function<void(const Preferences&)> m_preferencesChanged;
    std::function<int()> m_logonCancels;
    std::chrono::milliseconds m_callBound{20000};
    std::function<void()> m_inventory;
};

} // namespace corvane
