#include "InventoryModel.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace corvane {

namespace {
constexpr int Columns = static_cast<int>(Column::Count);
}

InventoryModel::InventoryModel(QObject* parent) : QAbstractTableModel(parent) {}

void InventoryModel::setRows(std::vector<InventoryRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int InventoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int InventoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant InventoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= Columns)
        return {};
    const InventoryRow& r = row(index.row());
    if (role == Qt::DisplayRole)
        return r.cells[index.column()];
    if (role == Qt::DecorationRole && index.column() == static_cast<int>(Column::BroadWrite) &&
        r.broadWrite)
        return m_warning;
    return {};
}

QVariant InventoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= Columns)
        return {};
    return columnTitle(static_cast<Column>(section));
}

InventoryFilter::InventoryFilter(InventoryModel& model, QObject* parent)
    : QAbstractTableModel(parent), m_model(model) {
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        m_ranks.clear();
        rebuild();
    });
    rebuild();
}

void InventoryFilter::setText(const QString& text) {
    m_text = text;
    rebuild();
}

void InventoryFilter::setBroadOnly(bool broadOnly) {
    m_broadOnly = broadOnly;
    rebuild();
}

void InventoryFilter::setAccountSids(std::optional<std::set<std::string>> sids) {
    m_sids = std::move(sids);
    rebuild();
}

void InventoryFilter::setMemberships(std::map<QString, std::set<std::string>> byServer) {
    m_memberships = std::move(byServer);
    rebuild();
}

bool InventoryFilter::accepts(const InventoryRow& r, TextMatches& matches) const {
    if (m_broadOnly && !r.broadWrite)
        return false;
    if (m_sids && !accountKeeps(r, *m_sids, m_memberships))
        return false;
    if (m_text.isEmpty())
        return true;
    for (int c = 0; c < Columns; ++c) {
        const QString& cell = r.cells[c];
        auto& [last, found] = matches[static_cast<std::size_t>(c)];
        // The rows of one share hold its cells as copies of one string: searched once.
        if (!last || !cell.isSharedWith(*last)) {
            last = &cell;
            found = cell.contains(m_text, Qt::CaseInsensitive);
        }
        if (found)
            return true;
    }
    return false;
}

void InventoryFilter::rebuild() {
    beginResetModel();
    m_rows.clear();
    TextMatches matches{};
    const int count = m_model.rowCount();
    for (int i = 0; i < count; ++i)
        if (accepts(m_model.row(i), matches))
            m_rows.push_back(i);
    sortRows();
    endResetModel();
}

void InventoryFilter::sort(int column, Qt::SortOrder order) {
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    sortRows();
    endResetModel();
}

void InventoryFilter::sortRows() {
    if (m_sortColumn < 0 || m_sortColumn >= Columns) {
        std::sort(m_rows.begin(), m_rows.end());
        return;
    }
    const std::vector<int>& ranks = ranksOf(m_sortColumn);
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    // Place, then source row, in one integer: a plain sort of integers keeps equal rows in
    // the source's order either way round.
    std::vector<std::uint64_t> keyed;
    keyed.reserve(m_rows.size());
    for (int r : m_rows) {
        const auto rank = static_cast<std::uint32_t>(ranks[static_cast<std::size_t>(r)]);
        keyed.push_back(std::uint64_t{ascending ? rank : ~rank} << 32 |
                        static_cast<std::uint32_t>(r));
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        m_rows[i] = static_cast<int>(keyed[i] & 0xFFFFFFFFu);
}

const std::vector<int>& InventoryFilter::ranksOf(int column) {
    m_ranks.resize(Columns);
    std::vector<int>& ranks = m_ranks[static_cast<std::size_t>(column)];
    const std::vector<InventoryRow>& rows = m_model.rows();
    if (ranks.size() == rows.size())
        return ranks;
    // Each different value case-folded and ordered once: the rows of one share hold its cells
    // as copies of one string, and the same few accounts and rights recur everywhere.
    std::vector<QString> keys;
    std::vector<int> keyOf(rows.size());
    QHash<QString, int> seen;
    const QString* previous = nullptr;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QString& cell = rows[r].cells[column];
        if (previous && cell.isSharedWith(*previous)) {
            keyOf[r] = keyOf[r - 1];
        } else {
            auto it = seen.constFind(cell);
            if (it == seen.constEnd()) {
                it = seen.insert(cell, static_cast<int>(keys.size()));
                keys.push_back(cell.toCaseFolded());
            }
            keyOf[r] = *it;
        }
        previous = &cell;
    }
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
        return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
    });
    std::vector<int> place(keys.size());
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[static_cast<std::size_t>(order[i - 1])] !=
                         keys[static_cast<std::size_t>(order[i])])
            ++rank;
        place[static_cast<std::size_t>(order[i])] = rank;
    }
    ranks.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        ranks[r] = place[static_cast<std::size_t>(keyOf[r])];
    return ranks;
}

QModelIndex InventoryFilter::mapToSource(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    return m_model.index(m_rows[static_cast<std::size_t>(index.row())], index.column());
}

int InventoryFilter::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int InventoryFilter::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant InventoryFilter::data(const QModelIndex& index, int role) const {
    return m_model.data(mapToSource(index), role);
}

QVariant InventoryFilter::headerData(int section, Qt::Orientation orientation, int role) const {
    return m_model.headerData(section, orientation, role);
}

} // namespace corvane
