#pragma once

#include "Inventory.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace corvane {

// The results as a table: one row per share and access entry.
class InventoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InventoryModel(QObject* parent = nullptr);

    void setRows(std::vector<InventoryRow> rows);
    const std::vector<InventoryRow>& rows() const { return m_rows; }
    const InventoryRow& row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    // The picture beside an entry that gives broad write access.
    void setWarningIcon(const QIcon& icon) { m_warning = icon; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<InventoryRow> m_rows;
    QIcon m_warning;
};

// What the filter box, the account box and "broad write only" leave of the results, in the
// order of the column sorted by. Its own list of the source's rows rather than a sort-filter
// proxy: at fleet size (tens of thousands of rows) a proxy's per-index mapping is most of the
// time.
class InventoryFilter : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit InventoryFilter(InventoryModel& model, QObject* parent = nullptr);

    void setText(const QString& text);
    void setBroadOnly(bool broadOnly);
    // Entries for these SIDs only; none: every entry.
    void setAccountSids(std::optional<std::set<std::string>> sids);
    // The account's own SIDs and its groups as each server reported them, by server name in
    // lower case.
    void setMemberships(std::map<QString, std::set<std::string>> byServer);

    // The source's index for one of this model's.
    QModelIndex mapToSource(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Letter case aside; rows that compare equal keep the source's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // Per column, the cell last searched for the filter's text and whether it held it.
    using TextMatches =
        std::array<std::pair<const QString*, bool>, static_cast<int>(Column::Count)>;
    bool accepts(const InventoryRow& row, TextMatches& matches) const;
    void rebuild();
    void sortRows();
    const std::vector<int>& ranksOf(int column);

    InventoryModel& m_model;
    QString m_text;
    bool m_broadOnly = false;
    std::optional<std::set<std::string>> m_sids;
    std::map<QString, std::set<std::string>> m_memberships;
    std::vector<int> m_rows; // source rows, in the order shown
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Per column, each source row's place in the column's order (rows that compare equal
    // share it), made the first time the column is sorted by and kept until the source
    // changes: sorting again, or filtering while sorted, orders integers.
    std::vector<std::vector<int>> m_ranks;
};

} // namespace corvane
