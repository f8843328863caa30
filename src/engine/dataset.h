#pragma once

#include "field.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace engine {

enum class DatasetState { Inactive, Browse, Edit, Insert };

enum class ChangeKind {
    RecordMoved,  // another row became current
    FieldChanged, // a field of the current row changed (fieldIndex tells which)
    StateChanged, // browse / edit / insert / inactive
    DataChanged,  // the rows were read again (open, refresh, filter, post, delete)
};

struct ChangeNotice {
    ChangeKind kind;
    int fieldIndex = -1;
};

using ChangeListener = std::function<void(const ChangeNotice&)>;

// What tables and queries have in common: fields, a cursor over ordered rows, and
// change notices for whoever shows the data.
class Dataset {
public:
    Dataset();
    virtual ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    void open();
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    DatasetState state() const { return m_state; }
    bool isEditing() const {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    }

    int fieldCount() const { return int(m_fields.size()); }
    Field& field(int index) { return *m_fields.at(std::size_t(index)); }
    const Field& field(int index) const { return *m_fields.at(std::size_t(index)); }
    // Field names match without regard to letter case. fieldByName throws when missing.
    Field* findField(const QString& name) const;
    Field& fieldByName(const QString& name) const;
    int fieldIndex(const QString& name) const;

    // Cursor over the visible rows. Moving ends nothing by itself: Table overrides the
    // moves to post or cancel a pending edit first.
    virtual void first();
    virtual void last();
    virtual void next();
    virtual void prior();
    int moveBy(int distance);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return recordCount() == 0; }
    virtual int recordCount() const = 0;
    // Number of the current row, from 1; 0 when there is none (or a row is being inserted).
    int recNo() const;
    virtual void setRecNo(int recNo);

    // A value of any visible row (0-based), without moving the cursor: for grids. While a
    // row is being inserted it is shown at displayRow() and counted in displayRowCount().
    virtual QVariant rowValue(int row, int fieldIndex) const = 0;
    virtual int displayRowCount() const { return recordCount(); }
    virtual int displayRow() const { return m_row; }

    // Change notices; the returned id removes the listener again.
    int addListener(ChangeListener listener);
    void removeListener(int id);

    // Current record buffer (used by Field).
    const QVariant& currentValue(int fieldIndex) const;
    virtual void setCurrentValue(int fieldIndex, const QVariant& value);
    bool modified() const { return m_modified; }

protected:
    // Subclasses provide the rows.
    virtual void doOpen() = 0;
    virtual void doClose() = 0;
    virtual void loadRow(int row) = 0; // fill the current record buffer from row (0-based)

    void setFields(const std::vector<FieldDef>& defs);
    void setState(DatasetState state);
    // 0-based; clamps; loads the row, sets the end flags when given, then notifies (so that
    // listeners see the flags of the new position).
    void moveTo(int row, std::optional<bool> eof = std::nullopt,
                std::optional<bool> bof = std::nullopt);
    void clearBuffer();
    void notify(ChangeKind kind, int fieldIndex = -1);
    int currentRow() const { return m_row; }
    void setCurrentRowSilently(int row) { m_row = row; }
    void setEofBof(bool eof, bool bof) {
        m_eof = eof;
        m_bof = bof;
    }

    std::vector<QVariant> m_buffer; // values of the current row
    std::vector<bool> m_changed;    // which fields were set since edit/insert began
    bool m_modified = false;

private:
    std::vector<std::unique_ptr<Field>> m_fields;
    DatasetState m_state = DatasetState::Inactive;
    int m_row = -1; // 0-based current row, -1 when none
    bool m_eof = true;
    bool m_bof = true;
    int m_nextListenerId = 1;
    std::vector<std::pair<int, ChangeListener>> m_listeners;
};

} // namespace engine
