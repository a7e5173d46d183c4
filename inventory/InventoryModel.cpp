#include "InventoryModel.h"

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
    : QSortFilterProxyModel(parent), m_model(model) {
    setSourceModel(&model);
}

void InventoryFilter::setText(const QString& text) {
    m_text = text;
    invalidateRowsFilter();
}

void InventoryFilter::setBroadOnly(bool broadOnly) {
    m_broadOnly = broadOnly;
    invalidateRowsFilter();
}

void InventoryFilter::setAccountSids(std::optional<std::set<std::string>> sids) {
    m_sids = std::move(sids);
    invalidateRowsFilter();
}

void InventoryFilter::setMemberships(std::map<QString, std::set<std::string>> byServer) {
    m_memberships = std::move(byServer);
    invalidateRowsFilter();
}

bool InventoryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const InventoryRow& r = m_model.row(sourceRow);
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

bool InventoryFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QString& a = m_model.row(left.row()).cells[left.column()];
    const QString& b = m_model.row(right.row()).cells[right.column()];
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace corvane
