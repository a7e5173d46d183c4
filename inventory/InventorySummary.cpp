#include "InventorySummary.h"

#include "Messages.h"

#include <QPainter>

#include <algorithm>

namespace corvane {

namespace {
constexpr int BarHeight = 14;
constexpr int Gap = 3;
constexpr int NameWidth = 160;
} // namespace

std::vector<ServerSummary> summaryOf(const std::vector<ServerScan>& scans) {
    std::vector<ServerSummary> out;
    for (const ServerScan& scan : scans) {
        if (scan.status != status::Success)
            continue;
        ServerSummary s{scan.server, 0, 0};
        for (const InventoryShare& share : scan.shares) {
            if (share.drift == inventory_text::driftMissing())
                continue; // in the baseline only
            ++s.shares;
            if (std::any_of(share.entries.begin(), share.entries.end(),
                            [](const InventoryEntry& e) { return e.broadWrite; }))
                ++s.broadWrite;
        }
        out.push_back(s);
    }
    return out;
}

InventorySummary::InventorySummary(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(fontMetrics().height() + Gap);
}

void InventorySummary::setSummary(std::vector<ServerSummary> servers) {
    m_servers = std::move(servers);
    setMinimumHeight(std::min(sizeHint().height(), 8 * (BarHeight + Gap)));
    updateGeometry();
    update();
}

QString InventorySummary::totalsText() const {
    int shares = 0, broad = 0;
    for (const ServerSummary& s : m_servers) {
        shares += s.shares;
        broad += s.broadWrite;
    }
    return inventory_text::summaryTotals(static_cast<qsizetype>(m_servers.size()), shares, broad);
}

QSize InventorySummary::sizeHint() const {
    return {400,
            fontMetrics().height() + Gap + static_cast<int>(m_servers.size()) * (BarHeight + Gap)};
}

void InventorySummary::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int textHeight = fontMetrics().height();
    painter.drawText(QRect(0, 0, width(), textHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     totalsText());
    int most = 1;
    for (const ServerSummary& s : m_servers)
        most = std::max(most, s.shares);
    const int barSpace = std::max(10, width() - NameWidth - 80);
    int y = textHeight + Gap;
    for (const ServerSummary& s : m_servers) {
        if (y > height())
            break;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, y, NameWidth - 4, BarHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(s.server, Qt::ElideRight, NameWidth - 4));
        const int all = barSpace * s.shares / most;
        const int broad = barSpace * s.broadWrite / most;
        painter.fillRect(NameWidth, y, all, BarHeight, palette().color(QPalette::Highlight));
        painter.fillRect(NameWidth, y, broad, BarHeight, QColor(0xD0, 0x30, 0x30));
        painter.drawText(QRect(NameWidth + all + 4, y, 80, BarHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         inventory_text::summaryBar(s.shares, s.broadWrite));
        y += BarHeight + Gap;
    }
}

} // namespace corvane
