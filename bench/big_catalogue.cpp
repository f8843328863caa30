#include "big_catalogue.h"

#include "data/schema.h"
#include "engine/database.h"
#include "engine/datetime.h"

#include <random>

QString bigCatalogueTapeName(int tape) {
    return QStringLiteral("T%1").arg(tape, 4, 10, QLatin1Char('0'));
}

namespace {

double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

} // namespace

void fillBigCatalogue(const QString& directory, const BigCatalogueSize& size) {
    for (const engine::TableDef* def : schema::allTables())
        engine::Database::createTable(directory, *def);
    engine::Database db(directory);
    std::mt19937 random(4711);

    const bool freeTime = size.layout == BigCatalogueLayout::WithFreeTime;
    const int freeTimeLengths[] = {180, 240, 300};

    engine::StoredTable& tapes = db.table(schema::tapes().fileName);
    db.transaction([&] {
        engine::Statement& st =
            db.cached(QStringLiteral("INSERT INTO %1 (BaandNavn, Baandlaengde) VALUES (?, ?)")
                          .arg(tapes.qualifiedName()));
        for (int t = 0; t < size.tapes; ++t) {
            engine::StatementUse use(st);
            st.bind(1, bigCatalogueTapeName(t));
            st.bind(2, freeTime ? freeTimeLengths[random() % 3] : 600);
            st.step();
        }
    });

    engine::StoredTable& actors = db.table(schema::actors().fileName);
    db.transaction([&] {
        engine::Statement& st = db.cached(
            QStringLiteral("INSERT INTO %1 (Fornavn, Efternavn, SkuespillerAutoIncStr) VALUES "
                           "(?, ?, ?)")
                .arg(actors.qualifiedName()));
        for (int a = 1; a <= size.actors; ++a) {
            engine::StatementUse use(st);
            st.bind(1, QStringLiteral("Fornavn%1").arg(a));
            st.bind(2, QStringLiteral("Efternavn%1").arg(random() % 100000));
            st.bind(3, QString::number(a));
            st.step();
        }
    });

    engine::StoredTable& recordings = db.table(schema::recordings().fileName);
    db.transaction([&] {
        engine::Statement& st = db.cached(
            QStringLiteral("INSERT INTO %1 (Baandnummer, Starttid, SpilletidSPLP, SpilletidSP, "
                           "Hastighed, Titel1, SkuespillereListe) VALUES (?, ?, ?, ?, ?, ?, ?)")
                .arg(recordings.qualifiedName()));
        int n = 0;
        for (int t = 0; t < size.tapes; ++t) {
            int position = 0;
            for (int k = 0; k < size.perTape; ++k) {
                QString cast;
                const int castSize = 1 + int(random() % 8);
                for (int i = 0; i < castSize && size.actors > 0; ++i)
                    cast += QStringLiteral("*%1*").arg(1 + random() % unsigned(size.actors));
                int length = 10;
                bool sp = true;
                if (freeTime) {
                    if (random() % 5 == 0)
                        position += 1 + int(random() % 15);
                    length = 8 + int(random() % 16);
                    sp = random() % 2 == 0;
                }
                engine::StatementUse use(st);
                st.bind(1, bigCatalogueTapeName(t));
                st.bind(2, minutes(position));
                st.bind(3, minutes(sp ? length : length * 2));
                st.bind(4, minutes(length));
                st.bind(5, sp ? QStringLiteral("SP") : QStringLiteral("LP"));
                st.bind(6, QStringLiteral("Titel %1").arg(++n));
                st.bind(7, cast);
                st.step();
                position += length;
            }
        }
    });
}
