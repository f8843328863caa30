#include "dataset_model.h"

#include "engine/field.h"
#include "engine/table.h"
#include "field_text.h"

#include <algorithm>

namespace framework {

namespace {

bool isNumeric(engine::FieldType type) {
    switch (type) {
    case engine::FieldType::SmallInt:
    case engine::FieldType::Integer:
    case engine::FieldType::AutoInc:
        return true;
    default:
        return false;
    }
}

// The row indicator: browsing, editing, inserting.
QString indicator(engine::DatasetState state) {
    switch (state) {
    case engine::DatasetState::Edit:
        return QStringLiteral("I");
    case engine::DatasetState::Insert:
        return QStringLiteral("*");
    default:
        return QString(QChar(0x25B6));
    }
}

bool sameColumns(const std::vector<GridColumn>& a, const std::vector<GridColumn>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const GridColumn& x, const GridColumn& y) {
                          return x.fieldName == y.fieldName && x.title == y.title;
                      });
}

} // namespace

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataSource(DataSource* source) {
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &DataSource::dataChange, this, &DatasetModel::onDataChange);
        connect(m_source, &DataSource::stateChange, this, &DatasetModel::onStateChange);
        connect(m_source, &QObject::destroyed, this, &DatasetModel::update);
    }
    update();
}

engine::Dataset* DatasetModel::dataset() const {
    engine::Dataset* ds = m_source ? m_source->dataSet() : nullptr;
    return ds && ds->isActive() ? ds : nullptr;
}

void DatasetModel::setColumns(const std::vector<GridColumn>& columns) {
    m_declared = columns;
    beginResetModel();
    resolveColumns(m_columns, m_fields);
    m_rows = datasetRows();
    endResetModel();
    Q_EMIT datasetMoved();
}

void DatasetModel::setColumnWidth(int column, int width) {
    if (column < 0 || std::size_t(column) >= m_declared.size() ||
        std::size_t(column) >= m_columns.size())
        return;
    m_declared[std::size_t(column)].width = width;
    m_columns[std::size_t(column)].width = width;
}

void DatasetModel::setReadOnly(bool on) {
    if (m_readOnly == on)
        return;
    m_readOnly = on;
    update();
}

int DatasetModel::fieldIndex(int column) const {
    return column >= 0 && std::size_t(column) < m_fields.size() ? m_fields[std::size_t(column)]
                                                                : -1;
}

engine::Field* DatasetModel::field(int column) const {
    engine::Dataset* ds = dataset();
    const int index = fieldIndex(column);
    return ds && index >= 0 && index < ds->fieldCount() ? &ds->field(index) : nullptr;
}

void DatasetModel::resolveColumns(std::vector<GridColumn>& columns,
                                  std::vector<int>& fields) const {
    columns.clear();
    fields.clear();
    engine::Dataset* ds = dataset();
    if (m_declared.empty()) {
        for (int i = 0; ds && i < ds->fieldCount(); ++i) {
            columns.push_back({ds->field(i).name(), ds->field(i).label(), -1, {}});
            fields.push_back(i);
        }
        return;
    }
    for (GridColumn column : m_declared) {
        engine::Field* f = ds ? ds->findField(column.fieldName) : nullptr;
        if (column.title.isEmpty())
            column.title = f ? f->label() : column.fieldName;
        columns.push_back(column);
        fields.push_back(f ? f->index() : -1);
    }
}

int DatasetModel::datasetRows() const {
    engine::Dataset* ds = dataset();
    if (!ds)
        return 0;
    const int rows = ds->displayRowCount();
    if (rows == 0 && !m_readOnly && dynamic_cast<engine::Table*>(ds))
        return 1;
    return rows;
}

int DatasetModel::currentRow() const {
    engine::Dataset* ds = dataset();
    if (!ds || m_rows == 0)
        return -1;
    if (ds->displayRowCount() == 0)
        return 0;
    return ds->displayRow();
}

void DatasetModel::onDataChange(int fieldIndex) {
    if (fieldIndex < 0) {
        update();
        return;
    }
    const int row = currentRow();
    if (row < 0 || row >= m_rows)
        return;
    for (std::size_t c = 0; c < m_fields.size(); ++c) {
        if (m_fields[c] == fieldIndex)
            Q_EMIT dataChanged(index(row, int(c)), index(row, int(c)));
    }
}

void DatasetModel::onStateChange() {
    update();
}

// Takes any change but a field's: the number of rows is brought up to date at the end
// (views re-read every row shown anyway), or the whole model is reset when the columns
// changed.
void DatasetModel::update() {
    const bool wasUpdating = m_updating;
    m_updating = true;
    std::vector<GridColumn> columns;
    std::vector<int> fields;
    resolveColumns(columns, fields);
    const int rows = datasetRows();
    if (fields != m_fields || !sameColumns(columns, m_columns)) {
        beginResetModel();
        m_columns = std::move(columns);
        m_fields = std::move(fields);
        m_rows = rows;
        endResetModel();
    } else {
        if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        }
        if (m_rows > 0 && !m_columns.empty())
            Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1));
    }
    // The indicator moves from the old current row to the new one.
    const int row = currentRow();
    for (int changed : {m_indicatorRow, row}) {
        if (changed >= 0 && changed < m_rows)
            Q_EMIT headerDataChanged(Qt::Vertical, changed, changed);
    }
    m_indicatorRow = row;
    m_updating = wasUpdating;
    Q_EMIT datasetMoved();
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    engine::Dataset* ds = dataset();
    const int fi = fieldIndex(index.column());
    if (!ds || fi < 0 || !index.isValid() || index.row() >= m_rows)
        return QVariant();
    const engine::FieldDef& def = ds->field(fi).def();
    switch (role) {
    case Qt::DisplayRole:
        return displayTextOf(def, ds->rowValue(index.row(), fi));
    case Qt::EditRole:
        return editTextOf(def, ds->rowValue(index.row(), fi));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (isNumeric(def.type) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return QVariant();
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && std::size_t(section) < m_columns.size())
            return m_columns[std::size_t(section)].title;
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    engine::Dataset* ds = dataset();
    return ds && section == currentRow() ? indicator(ds->state()) : QString();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    engine::Field* f = field(index.column());
    if (!m_readOnly && f && f->type() != engine::FieldType::AutoInc &&
        dynamic_cast<engine::Table*>(dataset()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace framework
