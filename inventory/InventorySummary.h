#pragma once

#include "Inventory.h"

#include <QWidget>

#include <vector>

namespace corvane {

// Per scanned server: how many shares it has, and how many of them give broad write access.
struct ServerSummary {
    QString server;
    int shares = 0;
    int broadWrite = 0;
};
std::vector<ServerSummary> summaryOf(const std::vector<ServerScan>& scans);

// The counts above the results: a line of totals and a bar per server, its shares with broad
// write access marked in the bar.
class InventorySummary : public QWidget {
    Q_OBJECT
public:
    explicit InventorySummary(QWidget* parent = nullptr);
    void setSummary(std::vector<ServerSummary> servers);
    QString totalsText() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ServerSummary> m_servers;
};

} // namespace corvane
