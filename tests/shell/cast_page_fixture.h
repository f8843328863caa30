#pragma once

// What the tests of the main window's cast page share: a catalogue of 21 actors and one
// recording per cast list, the main window opened on it at the page "Skuespillere".

#include "engine/datetime.h"
#include "framework/db_grid.h"
#include "main_window_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTabWidget>
#include <memory>

namespace castpage {

inline const QString kCastList = QStringLiteral("SkuespillereListe");

inline double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

// Last names that sort otherwise than the numbers: actor 12 before actor 3.
inline QString lastNameOf(int id) {
    switch (id) {
    case 3:
        return QStringLiteral("Zeuthen");
    case 12:
        return QStringLiteral("Andersen");
    case 21:
        return QStringLiteral("Madsen");
    default:
        return QStringLiteral("Efternavn%1").arg(id, 2, 10, QLatin1Char('0'));
    }
}

// Writes a picture file of that size, making its folder.
inline QString writePicture(const QString& path, const QSize& size) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    if (!image.save(path, "BMP"))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

} // namespace castpage

// The base of the cast page's test classes: their init() calls setUp(), their cleanup()
// tearDown().
class CastPageTest : public QObject {
protected:
    void setUp() {
        m_catalogue = std::make_unique<TempCatalogue>();
        QVERIFY(m_catalogue->isValid());
    }
    void tearDown() {
        m_main.reset();
        m_catalogue.reset();
    }

    // The catalogue: tape A1, actors 1 to 21, and one recording per cast list (the first
    // is the current one when the window opens). Picture paths by actor number.
    void open(const QStringList& castLists, const QMap<int, QString>& pictures = {},
              const QMap<int, QDate>& births = {}) {
        m_catalogue->appendRow(schema::tapes(), {{"BaandNavn", "A1"}, {"Baandlaengde", 600}});
        for (int id = 1; id <= 21; ++id) {
            QVariantMap more;
            if (pictures.contains(id))
                more.insert(QStringLiteral("Billedepath"), pictures.value(id));
            if (births.contains(id))
                more.insert(QStringLiteral("Fodtdato"), engine::dateToDayNumber(births.value(id)));
            QCOMPARE(appendActor(*m_catalogue, QStringLiteral("Fornavn%1").arg(id),
                                 castpage::lastNameOf(id), more),
                     qint64(id));
        }
        int start = 0;
        for (const QString& cast : castLists) {
            m_catalogue->appendRow(schema::recordings(),
                                   {{"Titel1", QStringLiteral("Optagelse %1").arg(start / 60 + 1)},
                                    {"Baandnummer", "A1"},
                                    {"Starttid", castpage::minutes(start)},
                                    {"SpilletidSPLP", castpage::minutes(60)},
                                    {"SpilletidSP", castpage::minutes(60)},
                                    {"Hastighed", "SP"},
                                    {"SkuespillereListe", cast}});
            start += 60;
        }
        m_main = std::make_unique<MainWindowFixture>(*m_catalogue);
        QVERIFY(m_main->waitOpened());
        form().PageControl1->setCurrentWidget(form().SkuespillereSide);
        QTRY_VERIFY(form().BitBtn1->isVisible());
    }

    TMainForm& form() { return *m_main->form; }
    QString storedCast() const {
        auto recordings = m_catalogue->openTable(schema::recordings(), "SecBaandnrStarttid");
        return recordings->fieldByName(castpage::kCastList).asString();
    }
    QString currentCast() {
        return m_main->recordings().fieldByName(castpage::kCastList).asString();
    }
    QStringList gridLastNames() const {
        QStringList names;
        const QAbstractItemModel* model = m_main->form->DBGrid1->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->data(model->index(row, 1)).toString();
        return names;
    }
    void selectInGrid(const QString& lastName) {
        framework::DBGrid* grid = form().DBGrid1;
        const int row = gridLastNames().indexOf(lastName);
        QVERIFY2(row >= 0, qPrintable(lastName));
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_main->box().SkuespillerTable2().fieldByName("Efternavn").asString(), lastName);
    }
    QString programDir() const { return m_catalogue->directory() + u'/'; }

    std::unique_ptr<TempCatalogue> m_catalogue;
    std::unique_ptr<MainWindowFixture> m_main;
};
