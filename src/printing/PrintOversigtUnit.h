#pragma once

#include "PrintOversigtRepUnit.h"
#include "UdskrivUnit.h"

class QButtonGroup;
class QGroupBox;
class QListWidget;

// The overview's options window: which groups to list and the sort order, above the print
// dialog's strip. Created once; the sort choice stays between showings while the group
// list is rebuilt, all ticked, at every showing.
class TPrintOversigtForm : public TUdskrivForm {
    Q_OBJECT
public:
    TPrintOversigtForm(TDataBox& data, TPrintOversigtRepForm& report,
                       framework::PrinterService& printers, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QListWidget* CheckListBox1 = nullptr; // checkable items, one per group
    QGroupBox* RadioGroup1 = nullptr;

    // RadioGroup1's selected item: 0 "Titel 1", 1 "Bånd navn", 2 "Kategori", -1 none.
    int RadioGroup1ItemIndex() const;
    void setRadioGroup1ItemIndex(int index);

    // The ticked groups and the sort order, as the report reads them.
    OversigtChoice choice() const;

    void FormShow() override;
    void VisBtnClick() override;
    void UdskrivBtnClick() override;

private:
    // False, after telling the user, when the choice holds no recording to print.
    bool choiceHasRecordings();

    TDataBox& m_data;
    TPrintOversigtRepForm& m_report;
    QButtonGroup* m_sortButtons = nullptr;
};
