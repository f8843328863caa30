#pragma once

#include "engine/query.h"
#include "framework/report_layout.h"

#include <QStringList>
#include <QWidget>

class QPagedPaintDevice;
class QPrinter;
class TDataBox;

// What the overview's options window chose: the names of the ticked groups in the order
// of its list, and the sort item (0 "Titel 1", 1 "Bånd navn", 2 "Kategori", -1 none).
struct OversigtChoice {
    QStringList tickedGroups;
    int sortIndex = 0;
};

// The overview report: a list of recordings, one line each with title, tape, start time,
// index number and category, restricted to the chosen groups and sorted as chosen. A
// container that is never shown; the options window previews and prints through it.
class TPrintOversigtRepForm : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Spolebox - Oversigt";

    TPrintOversigtRepForm(TDataBox& data, QWidget* parent = nullptr);

    framework::report::ReportLayout QuickRep1;
    engine::Query Query1;

    // Before each generation of the report: the query text for the choice. Its rows are
    // read while the pages are drawn, not kept.
    void QuickRep1BeforePrint(const OversigtChoice& choice);
    // After the report is done, however it ended.
    void QuickRep1AfterPrint();

    // Whether the choice finds any recording; a report without one has no pages.
    bool hasRecordings(const OversigtChoice& choice);
    // Draws the report for the choice onto device; returns the number of pages (none when
    // the query finds no recordings).
    int generate(const OversigtChoice& choice, QPagedPaintDevice& device);
    // Qt's print preview of the report, modal; returns when it is closed.
    void preview(const OversigtChoice& choice, QWidget* parent);
    // Prints the report on printer (already set to the chosen printer and copies).
    void print(const OversigtChoice& choice, QPrinter& printer);

private:
    void buildLayout();
    QString fieldText(const char* fieldName) const;

    TDataBox& m_data;
    QString m_printDate; // taken when the report is generated
};
