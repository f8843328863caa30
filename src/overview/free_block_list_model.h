#pragma once

#include "free_time_computation.h"

#include <QAbstractListModel>

// The free-block entries as the overview's hidden list holds them, each line made when it
// is asked for.
class FreeBlockListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FreeBlockListModel(QObject* parent = nullptr);

    void setEntries(overview::FreeBlockEntries entries);
    const overview::FreeBlockEntries& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    overview::FreeBlockEntries m_entries;
};
