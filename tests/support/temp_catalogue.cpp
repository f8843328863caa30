#include "temp_catalogue.h"

#include "data/schema.h"
#include "data/tape_time.h"
#include "engine/database.h"
#include "engine/error.h"

#include <QDir>

namespace {
const QString kDataFolder = QStringLiteral("DATA");
const QString kConfigFile = QStringLiteral("engine.ini");
} // namespace

TempCatalogue::TempCatalogue(Contents contents) {
    if (!m_root.isValid()) {
        m_error = QStringLiteral("Cannot create a temporary folder: %1").arg(m_root.errorString());
        return;
    }
    m_session = std::make_unique<engine::Session>(m_root.filePath(kConfigFile));
    try {
        if (!QDir(m_root.path()).mkdir(kDataFolder))
            throw engine::Error(QStringLiteral("Cannot create %1").arg(directory()));
        if (contents == Contents::AllTables) {
            for (const engine::TableDef* def : schema::allTables())
                createTable(*def);
        }
        m_session->addAlias(QString::fromUtf8(schema::kAlias), directory(),
                            QStringLiteral("PARADOX"));
    } catch (const engine::Error& e) {
        m_error = e.message();
    }
}

// The session closes its connections before the folder goes.
TempCatalogue::~TempCatalogue() {
    m_session.reset();
}

QString TempCatalogue::directory() const {
    return m_root.filePath(kDataFolder);
}

QString TempCatalogue::filePath(const QString& name) const {
    return QDir(directory()).filePath(name);
}

QString TempCatalogue::configFile() const {
    return m_root.filePath(kConfigFile);
}

void TempCatalogue::createTable(const engine::TableDef& def) {
    engine::Database::createTable(directory(), def);
}

std::unique_ptr<engine::Table> TempCatalogue::openTable(const engine::TableDef& def,
                                                        const QString& indexName) {
    auto table = std::make_unique<engine::Table>(*m_session);
    table->setAliasName(QString::fromUtf8(schema::kAlias));
    table->setTableName(def.fileName);
    table->setIndexName(indexName);
    table->setFieldDefs(def.fields);
    table->open();
    return table;
}

qint64 TempCatalogue::appendRecording(const QString& tape, int startMinute, int playingMinutes,
                                      const QString& speed, const QString& title1,
                                      const QString& title2) {
    const double playingTime = playingMinutes / 1440.0;
    return appendRow(schema::recordings(),
                     {{QStringLiteral("Baandnummer"), tape},
                      {QStringLiteral("Starttid"), startMinute / 1440.0},
                      {QStringLiteral("SpilletidSPLP"), playingTime},
                      {QStringLiteral("SpilletidSP"), tapetime::tapeTime(playingTime, speed)},
                      {QStringLiteral("Hastighed"), speed},
                      {QStringLiteral("Titel1"), title1},
                      {QStringLiteral("Titel2"), title2}});
}

qint64 TempCatalogue::appendRow(const engine::TableDef& def, const QVariantMap& values) {
    auto table = openTable(def);
    table->append();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        table->fieldByName(it.key()).setValue(it.value());
    table->post();
    for (const engine::FieldDef& f : def.fields) {
        if (f.type == engine::FieldType::AutoInc)
            return table->fieldByName(f.name).asInteger();
    }
    return 0;
}

int TempCatalogue::rowCount(const engine::TableDef& def) {
    return openTable(def)->recordCount();
}
