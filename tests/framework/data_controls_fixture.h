#pragma once

#include "data/schema.h"
#include "engine/datetime.h"
#include "engine/table.h"
#include "framework/data_source.h"
#include "framework/message_box.h"
#include "temp_catalogue.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>
#include <memory>
#include <vector>

// A catalogue in a temporary folder, a table of it behind a data source, a shown window
// for the controls under test (with a plain edit to take the focus away), and every
// message answered by a recorder instead of a modal box.
struct ControlsFixture {
    TempCatalogue catalogue;
    std::unique_ptr<engine::Table> table;
    framework::DataSource source;
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    QLineEdit* elsewhere = new QLineEdit(&window);
    std::vector<framework::MessageRequest> messages;
    framework::MessageButton answer = framework::MessageButton::Ok;
    framework::ScopedMessageHandler handler{[this](const framework::MessageRequest& r) {
        messages.push_back(r);
        return answer;
    }};

    ControlsFixture() {
        elsewhere->setObjectName(QStringLiteral("Elsewhere"));
        layout->addWidget(elsewhere);
    }

    // Appends the rows, then opens the table on them.
    bool open(const engine::TableDef& def, const std::vector<QVariantMap>& rows,
              const QString& index = QString()) {
        if (!catalogue.isValid())
            return false;
        for (const QVariantMap& row : rows)
            catalogue.appendRow(def, row);
        table = catalogue.openTable(def, index);
        source.setDataSet(table.get());
        return true;
    }

    // Adds a control to the window, above the plain edit.
    template <typename Control> Control* add(Control* control) {
        layout->insertWidget(layout->count() - 1, control);
        return control;
    }

    bool show() {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }

    QString lastMessage() const { return messages.empty() ? QString() : messages.back().text; }
};

inline double timeOf(int hours, int minutes) {
    return (hours * 60 + minutes) / 1440.0;
}

inline double dayOf(int year, int month, int day) {
    return engine::dateToDayNumber(QDate(year, month, day));
}
