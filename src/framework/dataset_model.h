#pragma once

#include "data_source.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <vector>

namespace engine {
class Field;
}

namespace framework {

// One column of a data grid.
struct GridColumn {
    QString fieldName;
    QString title;        // empty: the field's display label
    int width = -1;       // in pixels; -1 leaves the grid's default
    QStringList pickList; // values the cell's drop-down offers; the cell stays free text
};

// The rows of a dataset as a table model, read row by row as the view asks for them
// (never all at once), in the dataset's order. A row being inserted shows at its place.
// An editable model of an open, empty table shows one blank row, into which typing starts
// the table's first row. Changing cells goes through the data controls, not setData().
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    engine::Dataset* dataset() const; // the dataset when it is open, else nullptr

    // No columns: every field of the dataset, titled by its label.
    void setColumns(const std::vector<GridColumn>& columns);
    const std::vector<GridColumn>& columns() const { return m_columns; }
    // Changes the width of a declared column.
    void setColumnWidth(int column, int width);
    const GridColumn& column(int column) const { return m_columns.at(std::size_t(column)); }
    int fieldIndex(int column) const; // in the dataset; -1 when the dataset lacks the field
    engine::Field* field(int column) const;

    void setReadOnly(bool on);
    bool isReadOnly() const { return m_readOnly; }
    // True while the model takes a change of its dataset: views then re-read it and must
    // not move the dataset themselves.
    bool isUpdating() const { return m_updating; }
    // The display row of the dataset's current row (0 on the blank row of an empty table);
    // -1 when there is none.
    int currentRow() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // The model has taken a change of rows, state or current row: views follow the
    // dataset's current row now.
    void datasetMoved();

private:
    void onDataChange(int fieldIndex);
    void onStateChange();
    void resolveColumns(std::vector<GridColumn>& columns, std::vector<int>& fields) const;
    int datasetRows() const;
    void update();

    QPointer<DataSource> m_source;
    std::vector<GridColumn> m_declared;
    std::vector<GridColumn> m_columns;
    std::vector<int> m_fields; // dataset field index of each column
    int m_rows = 0;
    int m_indicatorRow = -1;
    bool m_readOnly = false;
    bool m_updating = false;
};

} // namespace framework
