#pragma once

// What the settings and actor register tests share: a data module on a temporary catalogue
// opened as start-up opens it, a program directory around the catalogue, and every message
// recorded and answered.

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/error.h"
#include "engine/table.h"
#include "message_log.h"
#include "temp_catalogue.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

class RegistersFixture {
public:
    RegistersFixture() {
        if (!catalogue.isValid())
            return;
        box = std::make_unique<TDataBox>(catalogue.session(), programDir());
        if (box->opened())
            box->SystemTable().open();
    }
    // Check first in every test: QVERIFY(f.ok()).
    bool ok() const { return box && box->opened() && box->SystemTable().isActive(); }

    // The catalogue's DATA folder lies in the program directory.
    QString programDir() const {
        return QDir::cleanPath(catalogue.directory() + QStringLiteral("/..")) + u'/';
    }

    // An actor written straight into the table; its SkuespillerAutoInc.
    qint64 addActor(const QString& fornavn, const QString& efternavn,
                    const QString& billedepath = QString()) {
        QVariantMap values{{QStringLiteral("Fornavn"), fornavn},
                           {QStringLiteral("Efternavn"), efternavn}};
        if (!billedepath.isEmpty())
            values.insert(QStringLiteral("Billedepath"), billedepath);
        return catalogue.appendRow(schema::actors(), values);
    }

    // The stored actors, read afresh, in the order of SecEfternavn.
    struct Actor {
        qint64 id = 0;
        QString idText;
        QString fornavn;
        QString efternavn;
        QString billedepath;
        QVariant fodtdato;
    };
    std::vector<Actor> storedActors() {
        std::vector<Actor> actors;
        auto table = catalogue.openTable(schema::actors(), QStringLiteral("SecEfternavn"));
        for (table->first(); !table->eof(); table->next()) {
            Actor a;
            a.id = table->fieldByName(QStringLiteral("SkuespillerAutoInc")).asInteger();
            a.idText = table->fieldByName(QStringLiteral("SkuespillerAutoIncStr")).asString();
            a.fornavn = table->fieldByName(QStringLiteral("Fornavn")).asString();
            a.efternavn = table->fieldByName(QStringLiteral("Efternavn")).asString();
            a.billedepath = table->fieldByName(QStringLiteral("Billedepath")).asString();
            a.fodtdato = table->fieldByName(QStringLiteral("Fodtdato")).value();
            actors.push_back(a);
        }
        return actors;
    }

    // The settings row as stored (empty when there is none).
    QVariantMap storedSettings() {
        QVariantMap values;
        auto table = catalogue.openTable(schema::settings());
        if (table->isEmpty())
            return values;
        for (const engine::FieldDef& f : schema::settings().fields)
            values.insert(f.name, table->fieldByName(f.name).value());
        return values;
    }

    TempCatalogue catalogue;
    MessageLog messages;
    std::unique_ptr<TDataBox> box;
};

// Runs action on the modal window that is open once the event loop runs (the window
// whose exec() follows this call).
inline void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            qWarning("no modal window");
            return;
        }
        action(modal);
    });
}
