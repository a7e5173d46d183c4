#include "InventoryModel.h"

#include <algorithm>

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
    connect(&model, &QAbstractItemModel::modelReset, this, &InventoryFilter::rebuild);
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

bool InventoryFilter::accepts(const InventoryRow& r) const {
    if (m_broadOnly && !r.broadWrite)
        return false;
    if (m_sids && !accountKeeps(r, *m_sids, m_memberships))
        return false;
    if (m_text.isEmpty())
        return true;
    for (const QString& cell : r.cells)
        if (cell.contains(m_text, Qt::CaseInsensitive))
            return true;
    return false;
}

void InventoryFilter::rebuild() {
    beginResetModel();
    m_rows.clear();
    const int count = m_model.rowCount();
    for (int i = 0; i < count; ++i)
        if (accepts(m_model.row(i)))
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
    // Case-folded once per row, not once per comparison.
    std::vector<std::pair<QString, int>> keyed;
    keyed.reserve(m_rows.size());
    for (int r : m_rows)
        keyed.emplace_back(m_model.row(r).cells[m_sortColumn].toCaseFolded(), r);
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        m_rows[i] = keyed[i].second;
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
