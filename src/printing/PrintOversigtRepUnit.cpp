#include "PrintOversigtRepUnit.h"

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/datetime.h"
#include "framework/report_preview.h"
#include "framework/report_renderer.h"

#include <QPrinter>

using framework::report::FontSpec;
using framework::report::PageContext;

namespace {

const FontSpec kReportFont{QStringLiteral("Arial"), 10, false};
const FontSpec kTitleFont{QStringLiteral("Times New Roman"), 24, true};
const FontSpec kColumnFont{QStringLiteral("Times New Roman"), 11, false};

// Left edges of the columns, in millimetres, shared by headings and fields.
constexpr double kTitleColumn = 2.9;
constexpr double kTapeColumn = 77.8;
constexpr double kStartColumn = 100.3;
constexpr double kIndexColumn = 113.0;
constexpr double kCategoryColumn = 126.7;
constexpr double kIndexWidth = 8.7;

} // namespace

TPrintOversigtRepForm::TPrintOversigtRepForm(TDataBox& data, QWidget* parent)
    : QWidget(parent, Qt::Window), Query1(data.session()), m_data(data) {
    setObjectName(QStringLiteral("PrintOversigtRepForm"));
    Query1.setAliasName(QString::fromUtf8(schema::kAlias));
    buildLayout();
}

void TPrintOversigtRepForm::buildLayout() {
    QuickRep1.title = QString::fromUtf8(kTitle);
    QuickRep1.page = framework::report::a4Portrait(10);

    auto& header = QuickRep1.pageHeader;
    header.height = 24.1;
    header.addText(56.9, 1.1, QStringLiteral("Video Bånd Oversigt"), kTitleFont);
    header.addText(kTitleColumn, 16.9, QStringLiteral("Titel 1"), kColumnFont);
    header.addText(kTapeColumn, 16.9, QStringLiteral("Bånd"), kColumnFont);
    header.addText(kStartColumn, 16.9, QStringLiteral("Starttid"), kColumnFont);
    header.addText(kIndexColumn, 16.9, QStringLiteral("Index"), kColumnFont);
    header.addText(kCategoryColumn, 16.9, QStringLiteral("Kategori"), kColumnFont);
    header.addField(170.7, 16.9, kReportFont, [this](const PageContext&) { return m_printDate; });
    header.addLine(1.9, 20.1, 187.3, 3.2);

    auto& detail = QuickRep1.detail;
    detail.height = 5.3;
    detail.addField(kTitleColumn, 0, kColumnFont,
                    [this](const PageContext&) { return fieldText("Titel1"); });
    detail.addField(kTapeColumn, 0, kColumnFont,
                    [this](const PageContext&) { return fieldText("Baandnummer"); });
    // The time of day in the long time format: hours, minutes and seconds.
    detail.addField(kStartColumn, 0, kColumnFont,
                    [this](const PageContext&) { return fieldText("Starttid"); });
    detail.addField(
        kIndexColumn, 0, kColumnFont,
        [this](const PageContext&) { return fieldText("Indexnummer"); }, kIndexWidth,
        Qt::AlignRight);
    detail.addField(kCategoryColumn, 0, kColumnFont,
                    [this](const PageContext&) { return fieldText("Kategori"); });

    auto& footer = QuickRep1.pageFooter;
    footer.height = 7.4;
    footer.addLine(1.3, 0, 187.6, 3.4);
    footer.addText(163.8, 2.1, QStringLiteral("Side"), kReportFont);
    // The page number belongs at 171.2 mm, but "Side" in Arial 10 pt ends at 170.9 mm and the
    // two would read as one word: a word space further right keeps them apart.
    footer.addField(172.2, 2.1, kReportFont,
                    [](const PageContext& page) { return QString::number(page.pageNumber); });
}

QString TPrintOversigtRepForm::fieldText(const char* fieldName) const {
    return Query1.fieldByName(QString::fromLatin1(fieldName)).text();
}

void TPrintOversigtRepForm::QuickRep1BeforePrint(const OversigtChoice& choice) {
    Query1.close();
    QStringList& sql = Query1.sql();
    sql.clear();
    sql.append(QStringLiteral("SELECT * FROM \"Spolebox.db\""));
    engine::Table& groups = m_data.GruppeTable();
    for (const QString& name : choice.tickedGroups) {
        // The list was filled from this table while the dialog was modal, so every name is
        // there; a name that is not (the table changed behind our back) is passed over
        // rather than read from whichever group happens to be current.
        if (!groups.locate(QStringLiteral("gruppenavn"), name, true))
            continue;
        const QString number = groups.fieldByName(QStringLiteral("Lobenummer")).asString();
        sql.append(
            (sql.size() == 1 ? QStringLiteral("WHERE gruppe=") : QStringLiteral("OR gruppe=")) +
            number);
    }
    switch (choice.sortIndex) {
    case 0:
        sql.append(QStringLiteral("ORDER BY titel1"));
        break;
    case 1:
        sql.append(QStringLiteral("ORDER BY baandnummer"));
        break;
    case 2:
        sql.append(QStringLiteral("ORDER BY kategori"));
        break;
    default:
        break;
    }
    m_printDate =
        engine::formatDateTime(engine::formatSettings().shortDateFormat, engine::currentDateTime());
}

void TPrintOversigtRepForm::QuickRep1AfterPrint() {
    Query1.close();
}

bool TPrintOversigtRepForm::hasRecordings(const OversigtChoice& choice) {
    // The first row answers; the order does not matter for that.
    OversigtChoice unsorted = choice;
    unsorted.sortIndex = -1;
    QuickRep1BeforePrint(unsorted);
    struct AfterPrint {
        TPrintOversigtRepForm& report;
        ~AfterPrint() { report.QuickRep1AfterPrint(); }
    } afterPrint{*this};
    struct FirstRow {};
    try {
        Query1.forEachRow([](const engine::Query&) { throw FirstRow{}; });
    } catch (const FirstRow&) {
        return true;
    }
    return false;
}

int TPrintOversigtRepForm::generate(const OversigtChoice& choice, QPagedPaintDevice& device) {
    QuickRep1BeforePrint(choice);
    struct AfterPrint {
        TPrintOversigtRepForm& report;
        ~AfterPrint() { report.QuickRep1AfterPrint(); }
    } afterPrint{*this};
    // The rows go straight from the query onto the pages: a long catalogue is never held
    // in memory, neither as rows nor as drawn pages.
    framework::report::ReportWriter writer(QuickRep1, device);
    Query1.forEachRow([&writer](const engine::Query&) { writer.addRow(); });
    return writer.finish();
}

void TPrintOversigtRepForm::preview(const OversigtChoice& choice, QWidget* parent) {
    framework::report::showPreview(
        QuickRep1.title, [&](QPrinter& printer) { generate(choice, printer); }, parent);
}

void TPrintOversigtRepForm::print(const OversigtChoice& choice, QPrinter& printer) {
    framework::report::printReport(
        QuickRep1.title, [&](QPrinter& target) { generate(choice, target); }, printer);
}
