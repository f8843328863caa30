#include "free_block_list_model.h"

FreeBlockListModel::FreeBlockListModel(QObject* parent) : QAbstractListModel(parent) {}

void FreeBlockListModel::setEntries(overview::FreeBlockEntries entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int FreeBlockListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FreeBlockListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_entries.text(index.row());
}
