#pragma once

#include "data_source.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

namespace engine {
class Field;
}

namespace framework {

// Typed text that a data control holds but its field does not yet have (a cell editor, a
// text that the field refused) is written by hooks registered per data source. Whoever is
// about to post or move the dataset calls updateRecord() first, as leaving the control
// would: it throws engine::Error when a field refuses the text.
void updateRecord(DataSource* source);
// Registers a hook; the returned id removes it again. Hooks go with their data source.
int addUpdateHook(DataSource* source, std::function<void()> hook);
void removeUpdateHook(DataSource* source, int id);

// What a control bound to one field of a data source needs: the field, found by name
// whenever the dataset is open; a signal when the control must show the field again; the
// dataset put into edit mode before the user's change goes in; and the control's own
// writes kept from echoing back into it.
class FieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit FieldDataLink(QObject* parent);
    ~FieldDataLink() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    void setFieldName(const QString& name);
    const QString& fieldName() const { return m_fieldName; }

    engine::Dataset* dataset() const; // the dataset when it is open, else nullptr
    engine::Field* field() const;     // nullptr without an open dataset having the field
    bool editing() const;             // the dataset is in edit or insert mode

    // Can the user change the field at all: an open table and a field the engine does not
    // fill itself.
    bool canModify() const;
    // Puts the dataset into edit mode for the user's change; false when it cannot take
    // one. Engine errors and aborts propagate.
    bool edit();
    // Writes into the field without telling the control about it.
    void writeText(const QString& text);
    void writeValue(const QVariant& value);

    // The control's hook that writes its pending text (run by updateRecord()).
    void setUpdateData(std::function<void()> hook) { m_updateData = std::move(hook); }

Q_SIGNALS:
    // Show the field again: another row, rows read again, the field changed, or the
    // binding itself changed.
    void dataChange();
    // Browse, edit, insert or closed.
    void stateChange();

private:
    void onDataChange(int fieldIndex);
    void registerHook();
    void unregisterHook();

    QPointer<DataSource> m_source;
    QString m_fieldName;
    bool m_quiet = false; // the control is changing the dataset itself
    int m_hookId = 0;
    std::function<void()> m_updateData;
};

} // namespace framework
