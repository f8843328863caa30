#pragma once

#include <QSet>
#include <QString>
#include <vector>

// The cast test of a recording's actor list: an actor belongs to the cast when the text
// "*" id "*" occurs in "*" list "*". Between two asterisks no other asterisk can occur, so
// that is the same as: the id in decimal equals one of the pieces the asterisks cut the
// wrapped list into. The pieces are worked out once per list, since the test runs for
// every actor row. A piece that is the canonical decimal form of a number is kept as that
// number, since an id's text never has leading zeros or a plus sign.
class CastFilter {
public:
    // Takes a (possibly new) cast list; cheap when the list has not changed.
    void setList(const QString& castList);
    const QString& list() const { return m_list; }

    bool accepts(qint64 actorId) const;
    // Every id the list names, ascending.
    std::vector<qint64> ids() const;
    // The same test written out as the substring search, for checking.
    static bool acceptsLiterally(const QString& castList, qint64 actorId);

private:
    QString m_list;
    bool m_parsed = false;
    QSet<qint64> m_ids;
};
