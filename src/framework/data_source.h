#pragma once

#include "engine/dataset.h"

#include <QObject>
#include <QPointer>

namespace framework {

// Connects data-bound controls to a dataset: turns the dataset's change notices into
// Qt signals and puts the dataset into edit mode when a control starts changing it.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    void setDataSet(engine::Dataset* dataset);
    engine::Dataset* dataSet() const { return m_dataset; }

    // Data controls put a browsing dataset into edit mode before they change a field.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }
    // Starts an edit when browsing (tables only); true when the dataset can take values.
    bool edit();

Q_SIGNALS:
    // Another row became current, the rows were read again (fieldIndex -1), or a field of
    // the current row changed (its index).
    void dataChange(int fieldIndex);
    // Browse, edit, insert or closed.
    void stateChange();

private:
    void detach();

    engine::Dataset* m_dataset = nullptr;
    int m_listener = 0;
    bool m_autoEdit = true;
};

} // namespace framework
