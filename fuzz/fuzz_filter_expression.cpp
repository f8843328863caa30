// libFuzzer target for table filter expressions and the text functions behind them. Any
// text must end in an expression or an engine::Error. A parsed term, written out again
// with quoteFilterValue, must parse to the same term; upper-casing and comparing must
// agree between UTF-8 and QString, and the comparison must be antisymmetric.

#include "engine/collation.h"
#include "engine/error.h"
#include "engine/filter_expression.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

void checkTerms(const QString& text) {
    engine::FilterExpression expression;
    try {
        expression = engine::parseFilterExpression(text);
    } catch (const engine::Error&) {
        return;
    }
    for (const engine::FilterTerm& term : expression.terms) {
        const QString written = term.field + QStringLiteral(" = ") +
                                engine::quoteFilterValue(term.value + (term.prefix ? "*" : ""));
        const engine::FilterExpression again = engine::parseFilterExpression(written);
        if (again.terms.size() != 1 || again.terms[0].field != term.field ||
            again.terms[0].value != term.value || again.terms[0].prefix != term.prefix)
            fail("a term does not survive quoting", written);
        if (!engine::filterTermMatches(term, term.value, false))
            fail("a term does not match its own value", written);
    }
}

// The first line break splits the input into two texts for the pairwise checks.
void checkText(std::string_view bytes) {
    const std::size_t split = bytes.find('\n');
    const std::string_view a = bytes.substr(0, split);
    const std::string_view b =
        split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
    if (sign(engine::danishCompareUtf8(a, b)) != -sign(engine::danishCompareUtf8(b, a)))
        fail("the comparison is not antisymmetric", QString::fromUtf8(a.data(), a.size()));
    if (engine::danishCompareUtf8(a, a) != 0)
        fail("a text differs from itself", QString::fromUtf8(a.data(), a.size()));
    (void)engine::sqlLike(a, b);
    (void)engine::sqlLike(b, a);

    const QString qa = QString::fromUtf8(a.data(), qsizetype(a.size()));
    const QString qb = QString::fromUtf8(b.data(), qsizetype(b.size()));
    const QByteArray ua = qa.toUtf8();
    const QByteArray ub = qb.toUtf8();
    const bool validUtf8 = std::string_view(ua.constData(), std::size_t(ua.size())) == a &&
                           std::string_view(ub.constData(), std::size_t(ub.size())) == b;
    if (!validUtf8)
        return;
    const QByteArray upper = engine::danishUpper(qa).toUtf8();
    if (std::string_view(upper.constData(), std::size_t(upper.size())) !=
        engine::danishUpperUtf8(a))
        fail("upper-casing differs between UTF-8 and QString", qa);
    if (sign(engine::danishCompare(qa, qb)) != sign(engine::danishCompareUtf8(a, b)))
        fail("comparing differs between UTF-8 and QString", qa + u'|' + qb);
    if (!engine::danishEqualsIgnoreCase(qa, qa.toLower()) && qa.toLower().toUpper() == qa.toUpper())
        fail("a text differs from itself in lower case", qa);
    if (!engine::sqlLike(a, a))
        fail("a text does not match itself as a pattern", qa);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkTerms(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
    checkText(bytes);
    return 0;
}
