#pragma once

#include "dataset.h"
#include "filter_expression.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace engine {

class Session;
class Database;
class Statement;
struct StoredTable;

// A row of a table handed to a filter callback: values by field name.
class RecordView {
public:
    virtual ~RecordView() = default;
    virtual QVariant value(const QString& fieldName) const = 0;
    QString asString(const QString& fieldName) const;
    qint64 asInteger(const QString& fieldName) const;
};

using Bookmark = qint64; // the row's identity inside its table file

// A table dataset: one table file of a catalogue, in the order of an index (or the
// table's own order), optionally narrowed by a master link and a filter.
class Table : public Dataset {
public:
    explicit Table(Session& session);
    ~Table() override;

    // Set while closed.
    void setAliasName(const QString& alias) { m_alias = alias; }
    void setTableName(const QString& fileName) { m_tableName = fileName; }
    void setIndexName(const QString& indexName) { m_indexName = indexName; }
    // The fields this dataset declares (a subset of the table's). Without any, all the
    // table's fields are used as stored.
    void setFieldDefs(const std::vector<FieldDef>& defs) { m_declared = defs; }
    const QString& tableName() const { return m_tableName; }
    const QString& indexName() const { return m_indexName; }

    // Master link: only rows whose first index field equals masterField of the master's
    // current row (text compared without regard to case); followed whenever the master moves.
    void setMasterLink(Table* master, const QString& masterField);

    // Filter callback, applied while filtering is on.
    void setFilterCallback(std::function<bool(const RecordView&)> callback);
    // Optional: the row ids that can possibly pass the filter callback (std::nullopt: any
    // row). Lets a callback that accepts a handful of known rows skip reading all the others;
    // the callback still decides. Takes effect at the next reading of the rows.
    void setFilterCandidates(std::function<std::optional<std::vector<qint64>>()> candidates);
    // Filter expression: terms `field = 'text'` joined by AND; a trailing * matches any rest.
    void setFilterText(const QString& text); // throws Error when it cannot be parsed
    const QString& filterText() const { return m_filterText; }
    void setFilterCaseInsensitive(bool on);
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Cursor moves end a pending edit first: changed rows are posted, unchanged edits
    // and inserts cancelled.
    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    void setRecNo(int recNo) override;
    int recordCount() const override;
    QVariant rowValue(int row, int fieldIndex) const override;
    int displayRowCount() const override;
    int displayRow() const override;

    void edit();   // on an empty table: insert()
    void insert(); // a new empty row at the current place
    void append(); // a new empty row at the end
    void post();
    void cancel();
    void deleteRecord();
    // Posts changed rows and cancels unchanged edits and inserts.
    void checkBrowseMode();

    Bookmark bookmark() const; // 0 when there is no current row
    bool bookmarkValid(Bookmark bookmark) const;
    void gotoBookmark(Bookmark bookmark); // throws Error when the row is gone
    void refresh();                       // read the rows again, filter again

    // Moves to the first row (in this dataset's order) whose field equals value; true
    // when found. Not found: the cursor does not move.
    bool locate(const QString& fieldName, const QVariant& value, bool caseInsensitive);

    // Events. A before-handler refuses by throwing engine::Abort.
    std::function<void(Table&)> beforePost;
    std::function<void(Table&)> afterPost;
    std::function<void(Table&)> beforeDelete;
    std::function<void(Table&)> afterDelete;
    std::function<void(Table&)> beforeInsert;
    std::function<void(Table&)> afterInsert;
    std::function<void(Table&)> beforeEdit;

    Session& session() const { return m_session; }

protected:
    void doOpen() override;
    void doClose() override;
    void loadRow(int row) override;

private:
    friend class TableRecordView;
    struct RowCache;

    std::optional<std::vector<qint64>> filterCandidateIds() const;
    void readKeys();    // re-reads the ordered list of visible row ids
    void masterMoved(); // re-reads the rows after the master moved
    void startNewRow(bool atEnd);
    bool rowPassesFilter(qint64 rowid);
    bool indexFieldChanged() const; // since edit() began
    void placeAfterPost(qint64 rowid);
    void writeRow();
    void checkRequired();
    // The row, from the rows kept or read now; valid until the next row is read.
    const std::vector<QVariant>& fetchRow(qint64 rowid) const;
    // The dataset's fields of the statement's current row, whose stored columns (all of
    // them, in the table's order) start at firstColumn.
    std::vector<QVariant> rowAt(const Statement& st, int firstColumn) const;
    int positionOf(qint64 rowid) const;
    QString orderByClause() const;
    QString whereClause(std::vector<QVariant>& bindings) const;
    void ensureActive() const;

    Session& m_session;
    QString m_alias;
    QString m_tableName;
    QString m_indexName;
    std::vector<FieldDef> m_declared;

    std::shared_ptr<Database> m_db;
    QString m_dbAlias; // the alias m_db was found by
    StoredTable* m_stored = nullptr;
    std::vector<int> m_columnOfField; // stored column index of each dataset field
    int m_rowidField = -1;            // dataset field holding the row id (auto-increment)
    QStringList m_indexFields;

    Table* m_master = nullptr;
    QString m_masterField;
    int m_masterListener = 0;

    std::function<bool(const RecordView&)> m_filterCallback;
    std::function<std::optional<std::vector<qint64>>()> m_filterCandidates;
    QString m_filterText;
    std::optional<FilterExpression> m_filterExpression;
    bool m_filterCaseInsensitive = false;
    bool m_filtered = false;

    std::vector<qint64> m_keys; // visible rows in order
    qint64 m_currentRowid = 0;
    int m_insertRow = -1; // display row of a row being inserted
    std::unique_ptr<RowCache> m_cache;
};

} // namespace engine
