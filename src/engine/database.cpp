#include "database.h"

#include "collation.h"
#include "error.h"
#include "sqlite_failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace engine {

namespace {

// Marks a SQLite file as one of our table files ("SPLB").
constexpr int kApplicationId = 0x53504C42;
constexpr int kFormatVersion = 1;
// How long a change waits for another program to let go of a table before the user is
// told that the catalogue is locked. Other programs hold a table for moments; longer than
// this, and the wait would feel like a frozen program.
constexpr int kBusyTimeoutMs = 2000;

// The technical text of an error, for the detail of another.
QString technicalText(const Error& e) {
    return e.detail().isEmpty() ? e.message() : e.detail();
}

// Owns a connection of its own, for creating a table file.
class Connection {
public:
    explicit Connection(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw Error(QStringLiteral("Cannot create '%1': %2").arg(path, message));
        }
        registerSqlFunctions(m_db);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void execute(const QString& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            QString message = QString::fromUtf8(error ? error : "unknown error");
            sqlite3_free(error);
            throw Error(message);
        }
    }

private:
    sqlite3* m_db = nullptr;
};

std::optional<FieldDef> fieldFromDeclaredType(const QString& name, const QString& declType,
                                              bool primaryKey) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*([A-Za-z]+)\s*(?:\(\s*(\d+)\s*\))?)"));
    auto m = re.match(declType);
    if (!m.hasMatch())
        return std::nullopt;
    const QString type = m.captured(1).toUpper();
    FieldDef f;
    f.name = name;
    f.size = m.captured(2).toInt();
    if (type == u"VARCHAR")
        f.type = FieldType::Text;
    else if (type == u"CLOB")
        f.type = FieldType::Memo;
    else if (type == u"SMALLINT")
        f.type = FieldType::SmallInt;
    else if (type == u"INT")
        f.type = FieldType::Integer;
    else if (type == u"INTEGER" && primaryKey)
        f.type = FieldType::AutoInc;
    else if (type == u"INTEGER")
        f.type = FieldType::Integer;
    else if (type == u"TIME")
        f.type = FieldType::Time;
    else if (type == u"DATE")
        f.type = FieldType::Date;
    else
        return std::nullopt;
    return f;
}

} // namespace

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString declaredType(const FieldDef& field) {
    switch (field.type) {
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(field.size);
    case FieldType::Memo:
        return QStringLiteral("CLOB(%1)").arg(field.size);
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::Integer:
        return QStringLiteral("INT");
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Time:
        return QStringLiteral("TIME");
    case FieldType::Date:
        return QStringLiteral("DATE");
    }
    return QString();
}

int StoredTable::column(const QString& fieldName) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString StoredTable::qualifiedName() const { return schema + u'.' + quoteIdentifier(tableName); }

Database::Database(const QString& directory) : m_directory(QDir(directory).absolutePath()) {
    if (!QFileInfo(m_directory).isDir())
        throw Error(QStringLiteral("The directory '%1' does not exist").arg(directory));
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw Error(QStringLiteral("Cannot start the database engine"));
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 125);
    registerSqlFunctions(m_db);
}

Database::~Database() {
    m_statements.clear();
    sqlite3_close_v2(m_db);
}

QString Database::resolveTableFile(const QString& fileName) const {
    if (fileName.isEmpty() || fileName.contains(u'/') || fileName.contains(u'\\'))
        return QString();
    const QDir dir(m_directory);
    if (QFileInfo(dir.filePath(fileName)).isFile())
        return dir.filePath(fileName);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

StoredTable& Database::table(const QString& fileName) {
    // Every table open asks: a file found before is taken as long as it is there.
    if (const auto known = m_byFileName.find(fileName);
        known != m_byFileName.end() && QFileInfo::exists(known->second->filePath))
        return *known->second;
    const QString path = resolveTableFile(fileName);
    if (path.isEmpty())
        throw Error(QStringLiteral("Table '%1' does not exist in '%2'").arg(fileName, m_directory));
    const QString key = QFileInfo(path).canonicalFilePath().toLower();
    if (auto found = m_tables.find(key); found != m_tables.end()) {
        m_byFileName[fileName] = found->second.get();
        return *found->second;
    }

    // A file is attached outside any transaction: reads kept together end here.
    if (m_readsOpen) {
        m_readsOpen = false;
        rollback();
    }
    auto stored = std::make_unique<StoredTable>();
    stored->fileName = fileName;
    stored->filePath = path;
    stored->schema = QStringLiteral("s%1").arg(m_nextSchema++);
    const QString notOurs = QStringLiteral("'%1' is not a table file of this catalogue").arg(path);
    {
        Statement attach(m_db, QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(stored->schema));
        attach.bindText(1, path);
        try {
            attach.step();
        } catch (const Error& e) {
            // SQLite refuses to attach a file that is no database at all (a text file).
            if (sqlite3_errcode(m_db) == SQLITE_NOTADB)
                throw Error(notOurs);
            const QString detail =
                QStringLiteral("Cannot open the table '%1' (%2)").arg(path, technicalText(e));
            if (isLockedFailure(e))
                throw Error(e.message(), detail);
            throw Error(detail);
        }
    }
    // A file without write permission is attached for reading only.
    stored->readOnly = sqlite3_db_readonly(m_db, stored->schema.toUtf8().constData()) == 1;
    try {
        {
            Statement id(m_db, QStringLiteral("PRAGMA %1.application_id").arg(stored->schema));
            if (!id.step() || id.int64(0) != kApplicationId)
                throw Error(notOurs);
        }
        Statement names(m_db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = "
                                             "'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")
                                  .arg(stored->schema));
        while (names.step()) {
            if (!stored->tableName.isEmpty())
                throw Error(notOurs);
            stored->tableName = names.text(0);
        }
        if (stored->tableName.isEmpty())
            throw Error(notOurs);
        Statement info(m_db, QStringLiteral("PRAGMA %1.table_info(%2)")
                                 .arg(stored->schema, quoteIdentifier(stored->tableName)));
        while (info.step()) {
            auto field = fieldFromDeclaredType(info.text(1), info.text(2), info.int64(5) != 0);
            if (!field)
                throw Error(notOurs);
            if (field->type == FieldType::AutoInc)
                stored->autoIncColumn = int(stored->fields.size());
            stored->fields.push_back(*field);
        }
        Statement indexes(m_db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = "
                                               "'index' AND sql IS NOT NULL")
                                    .arg(stored->schema));
        while (indexes.step()) {
            IndexDef index;
            index.name = indexes.text(0);
            Statement columns(m_db, QStringLiteral("PRAGMA %1.index_info(%2)")
                                        .arg(stored->schema, quoteIdentifier(index.name)));
            while (columns.step())
                index.fields << columns.text(2);
            stored->indexes.push_back(index);
        }
        // Every completed change must survive a crash at any later moment. (A file that may
        // only be read keeps its journal as it is: it takes no changes.)
        if (!stored->readOnly)
            execute(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(stored->schema));
        execute(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(stored->schema));
    } catch (const Error& e) {
        execute(QStringLiteral("DETACH DATABASE %1").arg(stored->schema));
        if (e.message() == notOurs)
            throw;
        const QString detail = QStringLiteral("%1 (%2)").arg(notOurs, technicalText(e));
        // Another program holding the file says nothing about the file itself.
        if (isLockedFailure(e))
            throw Error(e.message(), detail);
        throw Error(detail);
    }
    StoredTable& result = *stored;
    m_tables.emplace(key, std::move(stored));
    m_byFileName[fileName] = &result;
    return result;
}

Statement& Database::cached(const QString& sql) {
    auto& slot = m_statements[sql];
    if (!slot)
        slot = std::make_unique<Statement>(m_db, sql);
    return *slot;
}

void Database::execute(const QString& sql) {
    Statement statement(m_db, sql);
    while (statement.step()) {
    }
}

void Database::begin() {
    Statement& b = cached(QStringLiteral("BEGIN"));
    StatementUse use(b);
    b.step();
}

void Database::commit() {
    Statement& c = cached(QStringLiteral("COMMIT"));
    StatementUse use(c);
    c.step();
}

bool Database::isBusy() const {
    return (sqlite3_extended_errcode(m_db) & 0xff) == SQLITE_BUSY;
}

Database::ReadsTogether::ReadsTogether(Database& db) : m_db(db) {
    if (m_db.m_readDepth == 0 && sqlite3_get_autocommit(m_db.m_db)) {
        m_db.begin();
        m_db.m_readsOpen = true;
    }
    ++m_db.m_readDepth;
}

Database::ReadsTogether::~ReadsTogether() {
    if (--m_db.m_readDepth > 0 || !m_db.m_readsOpen)
        return;
    m_db.m_readsOpen = false;
    try {
        m_db.rollback(); // it read, and wrote nothing
    } catch (const Error&) {
        // Only preparing the ROLLBACK can fail, when memory runs out; nothing was written.
    }
}

void Database::rollback() {
    if (sqlite3_get_autocommit(m_db))
        return;
    Statement& r = cached(QStringLiteral("ROLLBACK"));
    StatementUse use(r);
    try {
        r.step();
    } catch (const Error&) {
        // The transaction may already have been rolled back by SQLite itself.
    }
}

void Database::createTable(const QString& directory, const TableDef& def) {
    const QDir dir(directory);
    if (!dir.exists())
        throw Error(QStringLiteral("The directory '%1' does not exist").arg(directory));
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(def.fileName, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("The table '%1' already exists").arg(dir.filePath(entry)));
    }
    // Built under a temporary name and renamed when complete, so that a half-made
    // table is never taken for a real one.
    const QString finalPath = dir.filePath(def.fileName);
    const QString tempPath = finalPath + QStringLiteral(".creating");
    QFile::remove(tempPath);
    {
        Connection c(tempPath);
        // One transaction: one synchronous write of the finished file instead of one per step.
        c.execute(QStringLiteral("BEGIN"));
        c.execute(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
        c.execute(QStringLiteral("PRAGMA user_version = %1").arg(kFormatVersion));
        QStringList columns;
        for (const FieldDef& f : def.fields)
            columns << quoteIdentifier(f.name) + u' ' + declaredType(f);
        c.execute(QStringLiteral("CREATE TABLE %1 (%2)")
                      .arg(quoteIdentifier(def.tableName), columns.join(QStringLiteral(", "))));
        for (const IndexDef& index : def.indexes) {
            QStringList parts;
            for (const QString& name : index.fields) {
                const FieldDef* f = def.field(name);
                bool text = f && (f->type == FieldType::Text || f->type == FieldType::Memo);
                parts << quoteIdentifier(name) + (text ? QStringLiteral(" COLLATE DANISH") : QString());
            }
            c.execute(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                          .arg(quoteIdentifier(index.name), quoteIdentifier(def.tableName),
                               parts.join(QStringLiteral(", "))));
        }
        c.execute(QStringLiteral("COMMIT"));
    }
    if (!QFile::rename(tempPath, finalPath)) {
        QFile::remove(tempPath);
        throw Error(QStringLiteral("Cannot create the table '%1'").arg(finalPath));
    }
}

} // namespace engine
