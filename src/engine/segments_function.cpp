#include "segments_function.h"

#include "error.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {

namespace {

enum Column { Value = 0, KeyRow = 1, SourceText = 2, Delimiter = 3, Keys = 4, ColumnCount = 5 };

// Calls take(piece) for each piece of text between two delimiters, left to right.
template <typename Take>
void forEachPiece(std::string_view text, std::string_view delimiter, Take take) {
    if (delimiter.empty())
        return;
    std::size_t start = text.find(delimiter);
    while (start != std::string_view::npos) {
        start += delimiter.size();
        const std::size_t end = text.find(delimiter, start);
        if (end == std::string_view::npos)
            return;
        take(text.substr(start, end - start));
        start = end;
    }
}

struct Match {
    std::string_view piece; // a view into the cursor's text
    sqlite3_int64 row = 0;
};

// FNV-1a: quick on the few bytes of a piece.
std::uint64_t hashOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Most pieces are no key; a bit per hash value tells most of them at once, before the
// keys are looked up.
class KeyFilter {
public:
    void add(std::string_view key) {
        const std::uint64_t bit = hashOf(key) % kBits;
        m_bits[bit / 64] |= std::uint64_t(1) << (bit % 64);
    }
    bool mayHold(std::string_view piece) const {
        const std::uint64_t bit = hashOf(piece) % kBits;
        return (m_bits[bit / 64] >> (bit % 64)) & 1;
    }

private:
    static constexpr std::uint64_t kBits = 1 << 16;
    std::vector<std::uint64_t> m_bits = std::vector<std::uint64_t>(kBits / 64);
};

struct PieceHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::size_t(hashOf(text)); }
};

struct SegmentsCursor : sqlite3_vtab_cursor {
    std::string text;
    std::string delimiter;
    std::string keysText;
    bool keysRead = false;
    KeyFilter keyFilter;
    // Looked up by a view of the piece, so that looking up does not copy it.
    std::unordered_map<std::string, std::vector<sqlite3_int64>, PieceHash, std::equal_to<>>
        rowsOfKey;
    std::vector<std::string_view> found; // the pieces of this text found among the keys
    std::vector<Match> matches;
    std::size_t current = 0;
};

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(value TEXT, keyrow INTEGER, "
                                            "source HIDDEN, delimiter HIDDEN, keys HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    *table = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*table)
        return SQLITE_NOMEM;
    *(*table) = sqlite3_vtab{};
    sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* table) {
    sqlite3_free(table);
    return SQLITE_OK;
}

// All three arguments must be given; a plan that cannot give them is refused, so that
// SQLite looks for one that can.
int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int argument[ColumnCount] = {-1, -1, -1, -1, -1};
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.iColumn < SourceText || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (!constraint.usable)
            return SQLITE_CONSTRAINT;
        argument[constraint.iColumn] = i;
    }
    int next = 1;
    for (int column : {SourceText, Delimiter, Keys}) {
        if (argument[column] < 0)
            return SQLITE_CONSTRAINT;
        info->aConstraintUsage[argument[column]].argvIndex = next++;
        info->aConstraintUsage[argument[column]].omit = 1;
    }
    info->estimatedCost = 10;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    // SQLite holds the cursor until it calls close, which takes it back.
    try {
        *cursor = std::make_unique<SegmentsCursor>().release();
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* cursor) {
    std::unique_ptr<SegmentsCursor> owned(static_cast<SegmentsCursor*>(cursor));
    return SQLITE_OK;
}

// Copies a value's text into a buffer the cursor keeps, so that rows do not allocate.
void copyText(sqlite3_value* value, std::string& into) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    into.assign(data ? data : "", data ? std::size_t(sqlite3_value_bytes(value)) : 0);
}

// Anything but an array of [text, number] pairs counts as no keys.
void readKeys(SegmentsCursor& cursor) {
    cursor.keysRead = true;
    const QJsonDocument keys = QJsonDocument::fromJson(
        QByteArray::fromRawData(cursor.keysText.data(), qsizetype(cursor.keysText.size())));
    for (const QJsonValue& pair : keys.array()) {
        const QJsonArray keyAndRow = pair.toArray();
        if (keyAndRow.size() != 2 || !keyAndRow[0].isString() || !keyAndRow[1].isDouble())
            continue;
        const std::string key = keyAndRow[0].toString().toStdString();
        cursor.keyFilter.add(key);
        cursor.rowsOfKey[key].push_back(keyAndRow[1].toInteger());
    }
}

int filter(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv) {
    auto* cursor = static_cast<SegmentsCursor*>(base);
    cursor->matches.clear();
    cursor->current = 0;
    if (argc != 3)
        return SQLITE_OK;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return SQLITE_OK;
    }
    try {
        if (!cursor->keysRead) {
            copyText(argv[2], cursor->keysText);
            readKeys(*cursor);
        }
        copyText(argv[0], cursor->text);
        copyText(argv[1], cursor->delimiter);
        cursor->found.clear();
        forEachPiece(cursor->text, cursor->delimiter, [cursor](std::string_view piece) {
            if (!cursor->keyFilter.mayHold(piece))
                return;
            const auto key = cursor->rowsOfKey.find(piece);
            if (key == cursor->rowsOfKey.end())
                return;
            // A key named twice in one text is one match. Few pieces are keys, so a
            // look through those found is quickest.
            if (std::find(cursor->found.begin(), cursor->found.end(), piece) != cursor->found.end())
                return;
            cursor->found.push_back(piece);
            for (sqlite3_int64 row : key->second)
                cursor->matches.push_back(Match{piece, row});
        });
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* base) {
    ++static_cast<SegmentsCursor*>(base)->current;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* base) {
    const auto* cursor = static_cast<SegmentsCursor*>(base);
    return cursor->current >= cursor->matches.size() ? 1 : 0;
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
    const auto* cursor = static_cast<SegmentsCursor*>(base);
    const auto text = [context](std::string_view value) {
        sqlite3_result_text64(context, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    };
    switch (index) {
    case Value:
        text(cursor->matches[cursor->current].piece);
        break;
    case KeyRow:
        sqlite3_result_int64(context, cursor->matches[cursor->current].row);
        break;
    case SourceText:
        text(cursor->text);
        break;
    case Delimiter:
        text(cursor->delimiter);
        break;
    default:
        text(cursor->keysText);
        break;
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = sqlite3_int64(static_cast<SegmentsCursor*>(base)->current);
    return SQLITE_OK;
}

sqlite3_module segmentsModule() {
    sqlite3_module module{};
    module.iVersion = 0;
    module.xConnect = connect; // eponymous-only: no xCreate
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnect;
    module.xOpen = open;
    module.xClose = close;
    module.xFilter = filter;
    module.xNext = next;
    module.xEof = eof;
    module.xColumn = column;
    module.xRowid = rowid;
    return module;
}

} // namespace

void registerSegmentsFunction(sqlite3* db) {
    static const sqlite3_module module = segmentsModule();
    if (sqlite3_create_module_v2(db, "sb_segments", &module, nullptr, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("Cannot register sb_segments: %1")
                        .arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace engine
