#pragma once

#include "Inventory.h"
#include "NetworkScan.h"
#include "ScanEngine.h"
#include "platform/CredentialProvider.h"
#include "platform/smb/SmbOptions.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;

namespace corvane {

class InventoryFilter;
class InventoryModel;
class InventorySummary;

// The inventory of servers: scans many servers at once for their shares and access entries,
// shows them filtered and sorted, compares them with a baseline and writes them to a file.
class InventoryForm1 : public QWidget {
    Q_OBJECT
public:
    // `askUser` is asked for the scan's one logon on this window's thread; `options` are the
    // program's connection settings.
    InventoryForm1(CredentialProvider& askUser, const smb::SmbOptions& options,
                   QWidget* parent = nullptr);
    ~InventoryForm1() override;

    // The connection settings for the scans started from now on.
    void setOptions(const smb::SmbOptions& options) { m_nextOptions = scanOptions(options); }

    // Tests scan fakes; the program scans the network.
    using MakeJob = std::function<std::unique_ptr<ScanJob>(ServerScan& out)>;
    void setJobMaker(MakeJob makeJob) { m_makeJob = std::move(makeJob); }
    // Tests answer the file dialogs; empty when cancelled.
    std::function<QString()> saveFileName;
    std::function<QStringList()> baselineFileNames;
    std::function<QString()> serversFileName;

    bool scanning() const { return m_engine != nullptr; }
    const std::vector<ServerScan>& scans() const { return m_scans; }

    QPlainTextEdit* InventoryServers1 = nullptr;
    QPushButton* LoadServers1 = nullptr;
    QSpinBox* InventoryJobs1 = nullptr;
    QPushButton* ScanServers1 = nullptr;
    QPushButton* CancelScan1 = nullptr;
    QProgressBar* InventoryProgress1 = nullptr;
    QListWidget* InventoryServersList1 = nullptr;
    QLineEdit* InventoryFilter1 = nullptr;
    QLineEdit* InventoryAccount1 = nullptr;
    QCheckBox* BroadAccessOnly1 = nullptr;
    QLabel* InventoryNote1 = nullptr;
    InventorySummary* InventorySummary1 = nullptr;
    QTableView* InventoryResults1 = nullptr;
    QPushButton* ExportInventory1 = nullptr;
    QPushButton* CompareBaseline1 = nullptr;

    void LoadServers1Click();
    void ScanServers1Click();
    void CancelScan1Click();
    void ExportInventory1Click();
    void CompareBaseline1Click();
    // Reads the groups of the account in the account box on every server that was scanned.
    void readMemberships();
    bool readingMemberships() const { return m_membershipEngine != nullptr; }

signals:
    // A row was double-clicked: open the server with the share selected.
    void openShare(const QString& server, const QString& share);
    void scanFinished();
    void membershipsRead();

private:
    void serverChanged(std::size_t index, ScanEngine::State state, Status result);
    void allEnded();
    void showResults();
    void accountChanged();
    void membershipsEnded();
    std::optional<Credentials> askOnWindowThread(const std::u16string& server);

    CredentialProvider& m_askUser;
    smb::SmbOptions m_options;     // of the scan that runs or ran last
    smb::SmbOptions m_nextOptions; // of the next scan
    MakeJob m_makeJob;
    InventoryModel* m_model = nullptr;
    InventoryFilter* m_filter = nullptr;
    std::vector<ServerScan> m_scans;
    Baselines m_baselines;
    std::unique_ptr<SharedLogon> m_logon;
    std::unique_ptr<ScanEngine> m_engine;
    std::vector<Membership> m_memberships;
    QString m_membershipsOf;
    std::unique_ptr<ScanEngine> m_membershipEngine;
    std::size_t m_ended = 0;
    std::shared_ptr<std::atomic<bool>> m_closing = std::make_shared<std::atomic<bool>>(false);
};

} // namespace corvane
