#include "data_source.h"

#include "engine/table.h"

namespace framework {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

DataSource::~DataSource() { detach(); }

void DataSource::detach() {
    if (m_dataset && m_listener)
        m_dataset->removeListener(m_listener);
    m_listener = 0;
}

void DataSource::setDataSet(engine::Dataset* dataset) {
    detach();
    m_dataset = dataset;
    if (m_dataset) {
        m_listener = m_dataset->addListener([this](const engine::ChangeNotice& notice) {
            switch (notice.kind) {
            case engine::ChangeKind::StateChanged:
                Q_EMIT stateChange();
                break;
            case engine::ChangeKind::FieldChanged:
                Q_EMIT dataChange(notice.fieldIndex);
                break;
            default:
                Q_EMIT dataChange(-1);
                break;
            }
        });
    }
    Q_EMIT stateChange();
    Q_EMIT dataChange(-1);
}

bool DataSource::edit() {
    if (!m_dataset || !m_dataset->isActive())
        return false;
    if (m_dataset->isEditing())
        return true;
    auto* table = dynamic_cast<engine::Table*>(m_dataset);
    if (!table || !m_autoEdit)
        return false;
    table->edit();
    return true;
}

} // namespace framework
