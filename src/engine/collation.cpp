#include "collation.h"

#include "error.h"
#include "segments_function.h"

#include <QChar>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>

namespace engine {

namespace {

// Bytes that are no valid UTF-8 are read as values beyond Unicode, one per byte, so
// that distinct texts still compare unequal.
constexpr char32_t kInvalidByteBase = 0x110000;

// Reads code points from UTF-8 bytes.
class Utf8Reader {
public:
    explicit Utf8Reader(std::string_view text)
        : m_p(reinterpret_cast<const unsigned char*>(text.data())), m_end(m_p + text.size()) {}

    bool atEnd() const { return m_p == m_end; }

    char32_t next() {
        const unsigned char lead = *m_p;
        if (lead < 0x80) {
            ++m_p;
            return lead;
        }
        int length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            minimum = 0x10000;
        }
        if (length == 0 || m_end - m_p < length)
            return invalid();
        for (int i = 1; i < length; ++i) {
            const unsigned char c = m_p[i];
            if ((c & 0xC0) != 0x80)
                return invalid();
            value = (value << 6) | (c & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return invalid();
        m_p += length;
        return value;
    }

private:
    char32_t invalid() { return kInvalidByteBase + *m_p++; }

    const unsigned char* m_p;
    const unsigned char* m_end;
};

// Reads code points from UTF-16.
class Utf16Reader {
public:
    explicit Utf16Reader(const QString& text)
        : m_p(reinterpret_cast<const char16_t*>(text.constData())), m_end(m_p + text.size()) {}

    bool atEnd() const { return m_p == m_end; }

    char32_t next() {
        const char16_t c = *m_p++;
        if (QChar::isHighSurrogate(c) && m_p != m_end && QChar::isLowSurrogate(*m_p))
            return QChar::surrogateToUcs4(c, *m_p++);
        return c;
    }

private:
    const char16_t* m_p;
    const char16_t* m_end;
};

// A Latin-1 character to its capital, as QChar does it.
inline char32_t latin1Capital(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c == 0xB5)
        return 0x39C;
    return c;
}

// One code point to its capital, for comparing (one code point in, one out).
inline char32_t foldCase(char32_t c) {
    if (c < 0x100)
        return latin1Capital(c);
    if (c >= kInvalidByteBase)
        return c;
    // Case folding first: QChar's capital leaves some small letters unmapped whose
    // capital forms fold to them (Greek letters with a iota subscript).
    const char32_t folded = QChar::toCaseFolded(c);
    return folded < 0x100 ? latin1Capital(folded) : QChar::toUpper(folded);
}

// The primary sort weight of a capital: accented Latin letters weigh as their base
// letter, and Æ, Ø, Å follow Z in that order (Ä with Æ, Ö with Ø, Ü with Y, as in Danish
// dictionaries). Texts equal in weight are then ordered by their capitals.
inline std::uint32_t primaryWeight(char32_t c) {
    constexpr std::uint32_t afterZ = std::uint32_t('Z') << 2;
    if (c < 0xC0 || c > 0xDF)
        return std::uint32_t(c) << 2;
    switch (c) {
    case 0xC6: // Æ
    case 0xC4: // Ä
        return afterZ + 1;
    case 0xD8: // Ø
    case 0xD6: // Ö
        return afterZ + 2;
    case 0xC5: // Å
        return afterZ + 3;
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3:
        return std::uint32_t('A') << 2;
    case 0xC7:
        return std::uint32_t('C') << 2;
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
        return std::uint32_t('E') << 2;
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF:
        return std::uint32_t('I') << 2;
    case 0xD0:
        return std::uint32_t('D') << 2;
    case 0xD1:
        return std::uint32_t('N') << 2;
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD5:
        return std::uint32_t('O') << 2;
    case 0xD9:
    case 0xDA:
    case 0xDB:
        return std::uint32_t('U') << 2;
    case 0xDC:
    case 0xDD:
        return std::uint32_t('Y') << 2;
    case 0xDF: // ß
        return std::uint32_t('S') << 2;
    default:
        return std::uint32_t(c) << 2;
    }
}

// Orders by the primary weights first (a shorter text before a longer one it begins),
// then by the first differing capital. Equal only when the capitals are equal.
template <typename A, typename B> int compareTexts(A a, B b) {
    int tie = 0;
    for (;;) {
        const bool endA = a.atEnd();
        const bool endB = b.atEnd();
        if (endA || endB) {
            if (endA && endB)
                return tie;
            return endA ? -1 : 1;
        }
        const char32_t ca = foldCase(a.next());
        const char32_t cb = foldCase(b.next());
        if (ca == cb)
            continue;
        const std::uint32_t wa = primaryWeight(ca);
        const std::uint32_t wb = primaryWeight(cb);
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (tie == 0)
            tie = ca < cb ? -1 : 1;
    }
}

// Upper-cases text made only of ASCII and two-byte Latin-1 characters into out, which
// has room for in.size() bytes (every such character keeps its length in bytes).
// Returns false, leaving out undefined, when another character occurs.
bool upperLatin1(std::string_view in, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    auto* o = reinterpret_cast<unsigned char*>(out);
    while (p != end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            *o++ = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
            ++p;
            continue;
        }
        if (end - p < 2 || (p[1] & 0xC0) != 0x80)
            return false;
        const unsigned char t = p[1];
        if (c == 0xC2) {
            if (t == 0xB5) { // µ to Greek capital mu
                *o++ = 0xCE;
                *o++ = 0x9C;
            } else {
                *o++ = c;
                *o++ = t;
            }
        } else if (c == 0xC3) {
            const unsigned code = 0xC0u + (t - 0x80u);
            if (code >= 0xE0 && code <= 0xFE && code != 0xF7) {
                *o++ = c;
                *o++ = static_cast<unsigned char>(t - 0x20);
            } else if (code == 0xDF) { // ß to SS
                *o++ = 'S';
                *o++ = 'S';
            } else if (code == 0xFF) { // ÿ to Ÿ
                *o++ = 0xC5;
                *o++ = 0xB8;
            } else {
                *o++ = c;
                *o++ = t;
            }
        } else {
            return false;
        }
        p += 2;
    }
    return true;
}

std::string upperThroughQString(std::string_view utf8) {
    const QByteArray upper =
        QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUpper().toUtf8();
    return std::string(upper.constData(), std::size_t(upper.size()));
}

// Upper-cases into a reused buffer and returns a view of it.
std::string_view upperInto(std::string& buffer, std::string_view utf8) {
    buffer.resize(utf8.size());
    if (upperLatin1(utf8, buffer.data()))
        return buffer;
    buffer = upperThroughQString(utf8);
    return buffer;
}

std::string_view textArgument(sqlite3_value* value) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const int size = sqlite3_value_bytes(value);
    return data ? std::string_view(data, std::size_t(size)) : std::string_view();
}

int danishCollation(void*, int sizeA, const void* a, int sizeB, const void* b) {
    return danishCompareUtf8(std::string_view(static_cast<const char*>(a), std::size_t(sizeA)),
                             std::string_view(static_cast<const char*>(b), std::size_t(sizeB)));
}

void sqlUpper(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string_view text = textArgument(argv[0]);
    if (text.empty()) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    auto* out = static_cast<char*>(sqlite3_malloc64(text.size()));
    if (!out) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (upperLatin1(text, out)) {
        sqlite3_result_text64(context, out, text.size(), sqlite3_free, SQLITE_UTF8);
        return;
    }
    sqlite3_free(out);
    const std::string upper = upperThroughQString(text);
    sqlite3_result_text64(context, upper.data(), upper.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void sqlLikeFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string_view pattern = textArgument(argv[0]);
    const std::string_view text = textArgument(argv[1]);
    sqlite3_result_int(context, sqlLike(text, pattern) ? 1 : 0);
}

// sb_like_upper(pattern, text): sb_like(pattern, sb_upper(text)), upper-casing into a
// buffer of its own.
void sqlLikeUpperFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    thread_local std::string buffer;
    const std::string_view pattern = textArgument(argv[0]);
    const std::string_view text = upperInto(buffer, textArgument(argv[1]));
    sqlite3_result_int(context, sqlLike(text, pattern) ? 1 : 0);
}

// sb_match(value, pattern, prefix, caseInsensitive): a term of a table filter. An empty
// field reads as empty text.
void sqlMatch(sqlite3_context* context, int, sqlite3_value** argv) {
    std::string_view value = textArgument(argv[0]);
    std::string_view pattern = textArgument(argv[1]);
    const bool prefix = sqlite3_value_int(argv[2]) != 0;
    const bool caseInsensitive = sqlite3_value_int(argv[3]) != 0;
    if (caseInsensitive) {
        thread_local std::string valueBuffer;
        thread_local std::string patternBuffer;
        value = upperInto(valueBuffer, value);
        pattern = upperInto(patternBuffer, pattern);
    }
    const bool matches = prefix ? value.starts_with(pattern) : value == pattern;
    sqlite3_result_int(context, matches ? 1 : 0);
}

void check(sqlite3* db, int rc, const char* what) {
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("Cannot register %1: %2")
                        .arg(QString::fromUtf8(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace

QString danishUpper(const QString& text) {
    return text.toUpper();
}

std::string danishUpperUtf8(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    if (upperLatin1(utf8, out.data()))
        return out;
    return upperThroughQString(utf8);
}

int danishCompare(const QString& a, const QString& b) {
    return compareTexts(Utf16Reader(a), Utf16Reader(b));
}

int danishCompareUtf8(std::string_view a, std::string_view b) {
    // Most texts compared while sorting are plain ASCII at least at their start: settle
    // that part byte by byte. Each ASCII byte is a whole character, so what is left
    // still starts on a character.
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80)
            break;
        if (ca == cb)
            continue;
        const char32_t fa = foldCase(ca);
        const char32_t fb = foldCase(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return compareTexts(Utf8Reader(a.substr(i)), Utf8Reader(b.substr(i)));
}

void appendDanishSortKeyUtf8(std::string_view utf8, std::string& key) {
    // First the primary weights, each plus one so that two zero bytes can end them: that
    // end sorts a text before any it begins. A weight takes two bytes up to 0x3FFF and
    // three beyond, led by 0x40 and more, so that lengths never mix up the order.
    for (Utf8Reader reader(utf8); !reader.atEnd();) {
        const std::uint32_t weight = primaryWeight(foldCase(reader.next())) + 1;
        if (weight < 0x4000) {
            key.push_back(char(weight >> 8));
        } else {
            key.push_back(char(0x40 + (weight >> 16)));
            key.push_back(char(weight >> 8));
        }
        key.push_back(char(weight));
    }
    key.append(2, '\0');
    // Then what tells capitals of equal weight apart: nothing for a capital that weighs
    // as itself (every one but the Latin-1 letters that weigh as another letter or follow
    // Z), which is the first of its weight; otherwise its place among those, one byte.
    // Trailing nothings are left out, as they sort before anything.
    const std::size_t weightsEnd = key.size();
    std::size_t lastNeeded = weightsEnd;
    for (Utf8Reader reader(utf8); !reader.atEnd();) {
        const char32_t capital = foldCase(reader.next());
        const bool weighsAsItself = primaryWeight(capital) == std::uint32_t(capital) << 2;
        key.push_back(weighsAsItself ? '\0' : char(capital - 0xBF));
        if (!weighsAsItself)
            lastNeeded = key.size();
    }
    key.resize(lastNeeded);
}

bool danishEqualsIgnoreCase(const QString& a, const QString& b) {
    return danishCompare(a, b) == 0;
}

bool sqlLike(std::string_view text, std::string_view pattern) {
    const std::size_t first = pattern.find('%');
    if (first == std::string_view::npos)
        return text == pattern;
    // Only "%" is special, so matching bytes is matching characters: the literal runs
    // between the wildcards are found left to right, each as early as possible, which
    // never needs to back up.
    const std::string_view head = pattern.substr(0, first);
    const std::size_t last = pattern.rfind('%');
    const std::string_view tail = pattern.substr(last + 1);
    if (text.size() < head.size() + tail.size() || !text.starts_with(head) || !text.ends_with(tail))
        return false;
    const std::string_view middle = text.substr(0, text.size() - tail.size());
    std::size_t position = head.size();
    std::size_t start = first + 1;
    while (start <= last) {
        std::size_t end = pattern.find('%', start);
        const std::string_view run = pattern.substr(start, end - start);
        if (!run.empty()) {
            const std::size_t found = middle.find(run, position);
            if (found == std::string_view::npos)
                return false;
            position = found + run.size();
        }
        start = end + 1;
    }
    return true;
}

void registerSqlFunctions(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    check(db,
          sqlite3_create_collation_v2(db, "DANISH", SQLITE_UTF8, nullptr, danishCollation, nullptr),
          "the collation DANISH");
    check(db,
          sqlite3_create_function_v2(db, "sb_upper", 1, flags, nullptr, sqlUpper, nullptr, nullptr,
                                     nullptr),
          "sb_upper");
    check(db,
          sqlite3_create_function_v2(db, "sb_like", 2, flags, nullptr, sqlLikeFunction, nullptr,
                                     nullptr, nullptr),
          "sb_like");
    check(db,
          sqlite3_create_function_v2(db, "sb_like_upper", 2, flags, nullptr, sqlLikeUpperFunction,
                                     nullptr, nullptr, nullptr),
          "sb_like_upper");
    check(db,
          sqlite3_create_function_v2(db, "sb_match", 4, flags, nullptr, sqlMatch, nullptr, nullptr,
                                     nullptr),
          "sb_match");
    registerSegmentsFunction(db);
}

} // namespace engine
