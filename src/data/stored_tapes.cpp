#include "stored_tapes.h"

#include "data/schema.h"
#include "engine/collation.h"

namespace {
const QString kName = QStringLiteral("BaandNavn");
} // namespace

StoredTapes::StoredTapes(engine::Session& session) : m_tapes(session) {
    m_tapes.setAliasName(QString::fromUtf8(schema::kAlias));
    m_tapes.setTableName(schema::tapes().fileName);
    m_tapes.setFieldDefs(schema::fieldsOf(schema::tapes(), {kName}));
    m_tapes.open();
}

QString StoredTapes::nameOf(engine::Bookmark tape) {
    if (!m_tapes.bookmarkValid(tape))
        return QString();
    m_tapes.gotoBookmark(tape);
    return m_tapes.fieldByName(kName).asString();
}

bool StoredTapes::nameTaken(const QString& name, engine::Bookmark except) {
    // One look-up settles the usual cases: a name no tape has, or another tape's.
    if (!m_tapes.locate(kName, name, true))
        return false;
    if (m_tapes.bookmark() != except)
        return true;
    const engine::Field& stored = m_tapes.fieldByName(kName);
    for (m_tapes.first(); !m_tapes.eof(); m_tapes.next()) {
        if (m_tapes.bookmark() != except && engine::danishEqualsIgnoreCase(stored.asString(), name))
            return true;
    }
    return false;
}
