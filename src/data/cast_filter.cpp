#include "cast_filter.h"

#include <algorithm>

void CastFilter::setList(const QString& castList) {
    if (m_parsed && castList == m_list)
        return;
    m_list = castList;
    m_ids.clear();
    // Wrapped in asterisks, every piece but the outer two lies between two asterisks.
    const QStringList pieces = (u'*' + castList + u'*').split(u'*');
    for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
        bool isNumber = false;
        const qint64 id = pieces[i].toLongLong(&isNumber);
        if (isNumber && QString::number(id) == pieces[i])
            m_ids.insert(id);
    }
    m_parsed = true;
}

bool CastFilter::accepts(qint64 actorId) const {
    return m_ids.contains(actorId);
}

std::vector<qint64> CastFilter::ids() const {
    std::vector<qint64> sorted(m_ids.begin(), m_ids.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

bool CastFilter::acceptsLiterally(const QString& castList, qint64 actorId) {
    const QString token = u'*' + QString::number(actorId) + u'*';
    return (u'*' + castList + u'*').contains(token);
}
