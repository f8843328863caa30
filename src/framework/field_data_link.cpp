#include "field_data_link.h"

#include "engine/field.h"
#include "engine/table.h"

#include <map>
#include <vector>

namespace framework {

namespace {

struct Hooks {
    int nextId = 1;
    std::vector<std::pair<int, std::function<void()>>> list;
};

std::map<const DataSource*, Hooks>& registry() {
    static std::map<const DataSource*, Hooks> hooks;
    return hooks;
}

// Clears a flag again however the scope is left.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = m_old; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

void updateRecord(DataSource* source) {
    auto it = registry().find(source);
    if (it == registry().end())
        return;
    // A hook may add or remove hooks while it runs.
    const auto hooks = it->second.list;
    for (const auto& [id, hook] : hooks)
        hook();
}

int addUpdateHook(DataSource* source, std::function<void()> hook) {
    if (!source)
        return 0;
    auto [it, added] = registry().try_emplace(source);
    if (added) {
        QObject::connect(source, &QObject::destroyed, [source] { registry().erase(source); });
    }
    const int id = it->second.nextId++;
    it->second.list.emplace_back(id, std::move(hook));
    return id;
}

void removeUpdateHook(DataSource* source, int id) {
    auto it = registry().find(source);
    if (it == registry().end())
        return;
    std::erase_if(it->second.list, [id](const auto& entry) { return entry.first == id; });
}

FieldDataLink::FieldDataLink(QObject* parent) : QObject(parent) {}

FieldDataLink::~FieldDataLink() {
    unregisterHook();
}

void FieldDataLink::setDataSource(DataSource* source) {
    if (source == m_source)
        return;
    unregisterHook();
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &DataSource::dataChange, this, &FieldDataLink::onDataChange);
        connect(m_source, &DataSource::stateChange, this, &FieldDataLink::stateChange);
        connect(m_source, &QObject::destroyed, this, [this] {
            m_hookId = 0;
            Q_EMIT stateChange();
            Q_EMIT dataChange();
        });
        registerHook();
    }
    Q_EMIT stateChange();
    Q_EMIT dataChange();
}

void FieldDataLink::setFieldName(const QString& name) {
    if (name == m_fieldName)
        return;
    m_fieldName = name;
    Q_EMIT dataChange();
}

void FieldDataLink::registerHook() {
    m_hookId = addUpdateHook(m_source, [this] {
        if (m_updateData)
            m_updateData();
    });
}

void FieldDataLink::unregisterHook() {
    if (m_source && m_hookId)
        removeUpdateHook(m_source, m_hookId);
    m_hookId = 0;
}

engine::Dataset* FieldDataLink::dataset() const {
    engine::Dataset* ds = m_source ? m_source->dataSet() : nullptr;
    return ds && ds->isActive() ? ds : nullptr;
}

engine::Field* FieldDataLink::field() const {
    engine::Dataset* ds = dataset();
    return ds && !m_fieldName.isEmpty() ? ds->findField(m_fieldName) : nullptr;
}

bool FieldDataLink::editing() const {
    engine::Dataset* ds = dataset();
    return ds && ds->isEditing();
}

bool FieldDataLink::canModify() const {
    engine::Field* f = field();
    return f && f->type() != engine::FieldType::AutoInc &&
           (editing() || (dynamic_cast<engine::Table*>(dataset()) && m_source->autoEdit()));
}

bool FieldDataLink::edit() {
    if (!canModify())
        return false;
    if (editing())
        return true;
    // Starting the edit may read the row again (or insert the first one): the control
    // keeps what the user is typing.
    FlagGuard quiet(m_quiet);
    return m_source->edit();
}

void FieldDataLink::writeText(const QString& text) {
    engine::Field* f = field();
    if (!f)
        return;
    FlagGuard quiet(m_quiet);
    f->setText(text);
}

void FieldDataLink::writeValue(const QVariant& value) {
    engine::Field* f = field();
    if (!f)
        return;
    FlagGuard quiet(m_quiet);
    f->setValue(value);
}

void FieldDataLink::onDataChange(int fieldIndex) {
    if (m_quiet)
        return;
    if (fieldIndex >= 0) {
        engine::Field* f = field();
        if (!f || f->index() != fieldIndex)
            return;
    }
    Q_EMIT dataChange();
}

} // namespace framework
