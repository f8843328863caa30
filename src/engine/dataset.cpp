#include "dataset.h"

#include "error.h"

#include <algorithm>

namespace engine {

Dataset::Dataset() = default;
Dataset::~Dataset() = default;

void Dataset::open() {
    if (isActive())
        return;
    doOpen();
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    m_state = DatasetState::Browse;
    notify(ChangeKind::StateChanged);
    m_row = -1;
    moveTo(0);
    m_bof = true;
    m_eof = recordCount() == 0;
    notify(ChangeKind::DataChanged);
}

void Dataset::close() {
    if (!isActive())
        return;
    doClose();
    m_state = DatasetState::Inactive;
    m_row = -1;
    m_eof = m_bof = true;
    clearBuffer();
    notify(ChangeKind::StateChanged);
    notify(ChangeKind::DataChanged);
}

Field* Dataset::findField(const QString& name) const {
    for (const auto& f : m_fields) {
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

Field& Dataset::fieldByName(const QString& name) const {
    if (Field* f = findField(name))
        return *f;
    throw Error(QStringLiteral("Field '%1' not found").arg(name));
}

int Dataset::fieldIndex(const QString& name) const {
    Field* f = findField(name);
    return f ? f->index() : -1;
}

void Dataset::first() {
    moveTo(0, recordCount() == 0, true);
}

void Dataset::last() {
    moveTo(recordCount() - 1, true, recordCount() == 0);
}

void Dataset::next() {
    if (m_row + 1 < recordCount())
        moveTo(m_row + 1, false, false);
    else
        m_eof = true;
}

void Dataset::prior() {
    if (m_row > 0)
        moveTo(m_row - 1, false, false);
    else
        m_bof = true;
}

int Dataset::moveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !eof()) {
        next();
        if (!eof())
            ++moved;
        --distance;
    }
    while (distance < 0 && !bof()) {
        prior();
        if (!bof())
            --moved;
        ++distance;
    }
    return moved;
}

int Dataset::recNo() const {
    if (m_state == DatasetState::Insert || m_row < 0)
        return 0;
    return m_row + 1;
}

void Dataset::setRecNo(int recNo) {
    moveTo(recNo - 1, false, false);
}

int Dataset::addListener(ChangeListener listener) {
    int id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void Dataset::removeListener(int id) {
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

const QVariant& Dataset::currentValue(int fieldIndex) const {
    static const QVariant empty;
    if (fieldIndex < 0 || std::size_t(fieldIndex) >= m_buffer.size())
        return empty;
    return m_buffer[std::size_t(fieldIndex)];
}

void Dataset::setCurrentValue(int fieldIndex, const QVariant& value) {
    if (!isEditing())
        throw Error(QStringLiteral("Dataset not in edit or insert mode"));
    m_buffer.at(std::size_t(fieldIndex)) = value;
    m_changed.at(std::size_t(fieldIndex)) = true;
    m_modified = true;
    notify(ChangeKind::FieldChanged, fieldIndex);
}

void Dataset::setFields(const std::vector<FieldDef>& defs) {
    m_fields.clear();
    for (std::size_t i = 0; i < defs.size(); ++i)
        m_fields.push_back(std::make_unique<Field>(*this, int(i), defs[i]));
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
}

void Dataset::setState(DatasetState state) {
    if (m_state == state)
        return;
    m_state = state;
    notify(ChangeKind::StateChanged);
}

void Dataset::moveTo(int row, std::optional<bool> eof, std::optional<bool> bof) {
    const int count = recordCount();
    if (count == 0) {
        m_row = -1;
        clearBuffer();
    } else {
        m_row = std::clamp(row, 0, count - 1);
        loadRow(m_row);
    }
    if (eof)
        m_eof = *eof;
    if (bof)
        m_bof = *bof;
    notify(ChangeKind::RecordMoved);
}

void Dataset::clearBuffer() {
    std::fill(m_buffer.begin(), m_buffer.end(), QVariant());
    std::fill(m_changed.begin(), m_changed.end(), false);
    m_modified = false;
}

void Dataset::notify(ChangeKind kind, int fieldIndex) {
    // A listener may add or remove listeners while being told.
    const auto listeners = m_listeners;
    for (const auto& [id, listener] : listeners)
        listener(ChangeNotice{kind, fieldIndex});
}

} // namespace engine
