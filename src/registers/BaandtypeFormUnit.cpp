#include "BaandtypeFormUnit.h"

#include "data/Databoxunit.h"
#include "framework/choice_box.h"
#include "framework/error_display.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

TBaandtypeForm::TBaandtypeForm(TDataBox& dataBox, QWidget* parent)
    : QDialog(parent), m_dataBox(dataBox) {
    setObjectName(QStringLiteral("BaandtypeForm"));
    setWindowTitle(QStringLiteral("Opret nyt bånd"));
    // A fixed border and no title-bar buttons at all.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(329, 173);

    Label1 = new QLabel(QStringLiteral("Bånd navnet er ikke kendt."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setPointSize(14);
    heading.setBold(true);
    Label1->setFont(heading);
    Label1->setGeometry(16, 12, 300, 28);

    Label2 = new QLabel(QStringLiteral("Bånd:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 52, 140, 20);
    Baandnavn = new QLabel(this);
    Baandnavn->setObjectName(QStringLiteral("Baandnavn"));
    Baandnavn->setGeometry(170, 52, 140, 20);
    QFont bold = Baandnavn->font();
    bold.setBold(true);
    Baandnavn->setFont(bold);

    Label3 = new QLabel(QStringLiteral("Bånd længde i minutter:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(16, 84, 150, 20);
    ComboBox1 = new framework::ChoiceBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems({QStringLiteral("300"), QStringLiteral("240"), QStringLiteral("180"),
                         QStringLiteral("160"), QStringLiteral("60"), QStringLiteral("30")});
    ComboBox1->setCurrentText(QStringLiteral("240"));
    // No completion from the list: 30 typed stays 30, it does not become 300.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setGeometry(170, 82, 80, 24);

    BitBtn1 = new QPushButton(QStringLiteral("Opret nyt bånd"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(40, 130, 115, 27);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Annuller"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(175, 130, 115, 27);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TBaandtypeForm::BitBtn1Click);
    // Enter anywhere, the length box included, reaches the dialog, which presses its default
    // button "Opret nyt bånd": one key press, one tape.
    connect(BitBtn2, &QPushButton::clicked, this, &TBaandtypeForm::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// The length box comes up with its text selected, so that what the user types replaces it.
void TBaandtypeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    ComboBox1->setFocus(Qt::OtherFocusReason);
    ComboBox1->lineEdit()->selectAll();
}

void TBaandtypeForm::BitBtn1Click() {
    engine::Table& tapes = m_dataBox.BaandTable();
    const bool created = framework::guarded([&] {
        tapes.insert();
        try {
            tapes.fieldByName(QStringLiteral("BaandNavn")).setAsString(Baandnavn->text());
            tapes.fieldByName(QStringLiteral("Baandlaengde")).setText(ComboBox1->currentText());
            tapes.post();
        } catch (...) {
            // No half-made tape is left behind; the dialog stays open for a correction.
            tapes.cancel();
            throw;
        }
    });
    if (created)
        done(1);
}
