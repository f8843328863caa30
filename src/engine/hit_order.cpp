#include "hit_order.h"

#include "collation.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace engine {

namespace {

// One distinct order value, as SQLite's ORDER BY compares it: first by its kind in this
// order, then numbers by value and texts and other bytes by their key.
struct OrderValue {
    enum Kind { Empty, Number, Text, Bytes } kind = Empty;
    bool isInteger = false;
    qint64 integer = 0;
    double real = 0;
    // Where its key lies among the keys: a text's sort key, or the bytes themselves.
    std::size_t keyStart = 0;
    std::size_t keyLength = 0;
};

// The distinct order values of a statement's hits. The keys lie in one piece of memory,
// handed back whole when they are no longer needed.
struct OrderValues {
    std::vector<OrderValue> values;
    std::string keys;

    std::string_view keyOf(const OrderValue& value) const {
        return std::string_view(keys).substr(value.keyStart, value.keyLength);
    }
};

// -1, 0 or 1 as a is below, equal to or above b.
template <typename T> int threeWay(const T& a, const T& b) {
    return int(b < a) - int(a < b);
}

// A whole number against a real, exactly (a double cannot hold every 64-bit integer).
int compareIntegerToReal(qint64 i, double r) {
    if (r < -9223372036854775808.0)
        return 1;
    if (r >= 9223372036854775808.0)
        return -1;
    const auto whole = static_cast<qint64>(r); // toward zero, exact in this range
    if (i != whole)
        return threeWay(i, whole);
    const double fraction = r - static_cast<double>(whole);
    return threeWay(0.0, fraction);
}

int compareNumbers(const OrderValue& a, const OrderValue& b) {
    if (a.isInteger && b.isInteger)
        return threeWay(a.integer, b.integer);
    if (a.isInteger)
        return compareIntegerToReal(a.integer, b.real);
    if (b.isInteger)
        return -compareIntegerToReal(b.integer, a.real);
    return threeWay(a.real, b.real);
}

int compareValues(const OrderValues& all, quint32 indexA, quint32 indexB) {
    const OrderValue& a = all.values[indexA];
    const OrderValue& b = all.values[indexB];
    if (a.kind != b.kind)
        return threeWay(a.kind, b.kind);
    if (a.kind == OrderValue::Number)
        return compareNumbers(a, b);
    return threeWay(all.keyOf(a).compare(all.keyOf(b)), 0);
}

std::string_view bytesOf(sqlite3_stmt* st, int column) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(st, column));
    return data ? std::string_view(data, std::size_t(sqlite3_column_bytes(st, column)))
                : std::string_view();
}

// Reads the order values of the hits, one per run of equal stored values (hits of one
// row of a table come together, so runs are common), and for each hit which one it has.
class OrderValueReader {
public:
    explicit OrderValueReader(bool danish) : m_danish(danish) {}

    void read(sqlite3_stmt* st) {
        const int type = sqlite3_column_type(st, 0);
        // Text is read as text, so that SQLite hands over its UTF-8 form.
        const std::string_view raw =
            type == SQLITE_TEXT
                ? std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                   std::size_t(sqlite3_column_bytes(st, 0)))
                : (type == SQLITE_BLOB ? bytesOf(st, 0) : std::string_view());
        std::vector<OrderValue>& values = distinct.values;
        const bool same =
            !values.empty() && type == m_lastType &&
            (type == SQLITE_INTEGER ? sqlite3_column_int64(st, 0) == values.back().integer
             : type == SQLITE_FLOAT ? sqlite3_column_double(st, 0) == values.back().real
             : type == SQLITE_NULL  ? true
                                    : raw == m_lastRaw);
        if (!same) {
            OrderValue value;
            switch (type) {
            case SQLITE_INTEGER:
                value.kind = OrderValue::Number;
                value.isInteger = true;
                value.integer = sqlite3_column_int64(st, 0);
                break;
            case SQLITE_FLOAT:
                value.kind = OrderValue::Number;
                value.real = sqlite3_column_double(st, 0);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB:
                value.kind = type == SQLITE_TEXT ? OrderValue::Text : OrderValue::Bytes;
                value.keyStart = distinct.keys.size();
                if (type == SQLITE_TEXT && m_danish)
                    appendDanishSortKeyUtf8(raw, distinct.keys);
                else
                    distinct.keys.append(raw);
                value.keyLength = distinct.keys.size() - value.keyStart;
                break;
            default:
                break;
            }
            values.push_back(std::move(value));
            m_lastType = type;
            m_lastRaw.assign(raw);
        }
        valueOfHit.push_back(quint32(values.size() - 1));
    }

    OrderValues distinct;
    std::vector<quint32> valueOfHit;

private:
    bool m_danish;
    int m_lastType = SQLITE_NULL;
    std::string m_lastRaw;
};

// The place of each distinct value in the order, equal values sharing a place.
std::vector<quint32> ranksOf(const OrderValues& distinct, bool descending) {
    std::vector<quint32> sorted(distinct.values.size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(),
              [&distinct](quint32 a, quint32 b) { return compareValues(distinct, a, b) < 0; });
    std::vector<quint32> rank(sorted.size());
    quint32 place = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && compareValues(distinct, sorted[i - 1], sorted[i]) != 0)
            ++place;
        rank[sorted[i]] = place;
    }
    if (descending) {
        for (quint32& r : rank)
            r = place - r;
    }
    return rank;
}

} // namespace

std::vector<qint64> orderHits(Statement& statement, const TranslatedSql::HitOrder& order) {
    sqlite3_stmt* st = statement.handle();
    const std::size_t tables = std::size_t(order.tables);
    const int firstId = order.ordered ? 1 : 0;
    std::vector<qint64> ids;
    OrderValueReader reader(order.danish);
    while (statement.step()) {
        for (std::size_t t = 0; t < tables; ++t)
            ids.push_back(sqlite3_column_int64(st, firstId + int(t)));
        if (order.ordered)
            reader.read(st);
    }
    const std::size_t hits = tables == 0 ? 0 : ids.size() / tables;
    // The places of the hits' values are few and dense: the hits are counted into their
    // places, and only hits sharing a place are sorted, by their row ids.
    std::vector<quint32> byOrder(hits);
    std::vector<std::size_t> placeStart(1, 0);
    if (order.ordered) {
        const std::vector<quint32> rankOfValue = ranksOf(reader.distinct, order.descending);
        const quint32 places =
            rankOfValue.empty() ? 0 : *std::max_element(rankOfValue.begin(), rankOfValue.end()) + 1;
        placeStart.assign(std::size_t(places) + 1, 0);
        for (quint32 value : reader.valueOfHit)
            ++placeStart[rankOfValue[value] + 1];
        std::partial_sum(placeStart.begin(), placeStart.end(), placeStart.begin());
        std::vector<std::size_t> next(placeStart.begin(), placeStart.end() - 1);
        for (std::size_t h = 0; h < hits; ++h)
            byOrder[next[rankOfValue[reader.valueOfHit[h]]]++] = quint32(h);
    } else {
        std::iota(byOrder.begin(), byOrder.end(), 0u);
        placeStart.push_back(hits);
    }
    reader = OrderValueReader(false); // its keys are no longer needed
    const auto idsLess = [&ids, tables](quint32 a, quint32 b) {
        const qint64* idsA = ids.data() + std::size_t(a) * tables;
        const qint64* idsB = ids.data() + std::size_t(b) * tables;
        return std::lexicographical_compare(idsA, idsA + tables, idsB, idsB + tables);
    };
    for (std::size_t place = 0; place + 1 < placeStart.size(); ++place) {
        if (placeStart[place + 1] - placeStart[place] > 1)
            std::sort(byOrder.begin() + std::ptrdiff_t(placeStart[place]),
                      byOrder.begin() + std::ptrdiff_t(placeStart[place + 1]), idsLess);
    }
    std::vector<qint64> ordered;
    ordered.reserve(ids.size());
    for (quint32 h : byOrder)
        ordered.insert(ordered.end(), ids.begin() + std::ptrdiff_t(h * tables),
                       ids.begin() + std::ptrdiff_t((h + 1) * tables));
    return ordered;
}

} // namespace engine
