#include "PrintOversigtUnit.h"

#include "data/Databoxunit.h"
#include "framework/message_box.h"
#include "framework/printer_service.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QVBoxLayout>

TPrintOversigtForm::TPrintOversigtForm(TDataBox& data, TPrintOversigtRepForm& report,
                                       framework::PrinterService& printers, QWidget* parent)
    : TUdskrivForm(printers, parent), m_data(data), m_report(report) {
    setObjectName(QStringLiteral("PrintOversigtForm"));
    setWindowTitle(QStringLiteral("Udskriv Oversigt"));

    GroupBox1 = new QGroupBox(QStringLiteral("Grupper"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 16, 201, 233);
    CheckListBox1 = new QListWidget(GroupBox1);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->setContentsMargins(2, 2, 2, 2);
    groupLayout->addWidget(CheckListBox1);

    RadioGroup1 = new QGroupBox(QStringLiteral("Sortering"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(220, 16, 133, 141);
    m_sortButtons = new QButtonGroup(RadioGroup1);
    auto* sortLayout = new QVBoxLayout(RadioGroup1);
    const QStringList items{QStringLiteral("Titel 1"), QStringLiteral("Bånd navn"),
                            QStringLiteral("Kategori")};
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], RadioGroup1);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        m_sortButtons->addButton(radio, i);
        sortLayout->addWidget(radio);
    }
    sortLayout->addStretch();
    setRadioGroup1ItemIndex(0);
}

int TPrintOversigtForm::RadioGroup1ItemIndex() const {
    return m_sortButtons->checkedId();
}

void TPrintOversigtForm::setRadioGroup1ItemIndex(int index) {
    if (QAbstractButton* radio = m_sortButtons->button(index)) {
        radio->setChecked(true);
        return;
    }
    // No item: a radio group lets none be selected, exclusive buttons need help for that.
    m_sortButtons->setExclusive(false);
    for (QAbstractButton* radio : m_sortButtons->buttons())
        radio->setChecked(false);
    m_sortButtons->setExclusive(true);
}

OversigtChoice TPrintOversigtForm::choice() const {
    OversigtChoice result;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        if (item->checkState() == Qt::Checked)
            result.tickedGroups.append(item->text());
    }
    result.sortIndex = RadioGroup1ItemIndex();
    return result;
}

void TPrintOversigtForm::FormShow() {
    TUdskrivForm::FormShow();
    CheckListBox1->clear();
    engine::Table& groups = m_data.GruppeTable();
    for (groups.first(); !groups.eof(); groups.next()) {
        auto* item = new QListWidgetItem(
            groups.fieldByName(QStringLiteral("Gruppenavn")).asString(), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

bool TPrintOversigtForm::choiceHasRecordings() {
    if (m_report.hasRecordings(choice()))
        return true;
    // Without a word the user would take an old file or an empty preview for the report.
    framework::notice(QStringLiteral("Der er ingen optagelser at udskrive."));
    return false;
}

void TPrintOversigtForm::VisBtnClick() {
    if (!choiceHasRecordings())
        return;
    m_report.preview(choice(), this);
}

void TPrintOversigtForm::UdskrivBtnClick() {
    if (!choiceHasRecordings())
        return; // the options stay open for another choice
    printers().setPrinterIndex(ComboBox1->currentIndex());
    printers().setCopies(Antalkopier->text().toInt());
    QPrinter printer(QPrinter::HighResolution);
    if (!printers().preparePrinter(printer, this))
        return; // the user backed out: the options stay open
    m_report.print(choice(), printer);
    TUdskrivForm::UdskrivBtnClick();
}
