// The main window's search group: the search box, the choice of search and the start of
// a search.

#include "Spolebox.h"
#include "Spolebox_widgets.h"
#include "data/Databoxunit.h"
#include "engine/collation.h"
#include "framework/error_display.h"
#include "framework/field_data_link.h"
#include "framework/radio_tab_stop.h"
#include "search/GenerelSearchFormUnit.h"
#include "search/SkuespillerSearchFormUnit.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

using namespace mainform;

void TMainForm::buildSearchGroup(QWidget* central) {
    SogningGroup = new QGroupBox(QStringLiteral("Søgning"), central);
    SogningGroup->setObjectName(QStringLiteral("GroupBox6"));
    SogningGroup->setGeometry(4, 356, kClientWidth - 8, 76);
    Sogetext = control<QLineEdit>("Sogetext", SogningGroup, 10, 22, 109);
    Sogetext->installEventFilter(this);
    RadioBTitel = control<QRadioButton>("RadioBTitel", SogningGroup, 140, 16, 90);
    RadioBTitel->setText(QStringLiteral("Titel"));
    RadioBTitel->setChecked(true);
    RadioBInstruktor = control<QRadioButton>("RadioBInstruktor", SogningGroup, 140, 40, 90);
    RadioBInstruktor->setText(QStringLiteral("Instruktør"));
    RadioBSkuespiller = control<QRadioButton>("RadioBSkuespiller", SogningGroup, 250, 16, 100);
    RadioBSkuespiller->setText(QStringLiteral("Skuespiller"));
    RadioBBaandNavn = control<QRadioButton>("RadioBBaandNavn", SogningGroup, 250, 40, 100);
    RadioBBaandNavn->setText(QStringLiteral("Bånd navn"));
    for (QRadioButton* radio : {RadioBTitel, RadioBInstruktor, RadioBSkuespiller, RadioBBaandNavn})
        connect(radio, &QRadioButton::clicked, this,
                framework::guardedSlot([this] { RadioBTitelClick(); }));
    new framework::RadioTabStop({RadioBTitel, RadioBInstruktor, RadioBSkuespiller, RadioBBaandNavn},
                                SogningGroup);
}

void TMainForm::createSearchWindows() {
    SkuespillerSearchForm = new TSkuespillerSearchForm(m_dataBox->session(), this);
    GenerelSearchForm = new TGenerelSearchForm(m_dataBox->session(), this);
    // The result windows know nothing of the recordings table: they report the hit chosen,
    // and the recording is located here.
    const auto locateHit = [this](qint64 videoAutoInc) {
        framework::guarded([&] {
            m_dataBox->VideoTable().locate(QStringLiteral("VideoAutoInc"), QVariant(videoAutoInc),
                                           false);
        });
    };
    connect(SkuespillerSearchForm, &SearchResultForm::hitChosen, this, locateHit);
    connect(GenerelSearchForm, &SearchResultForm::hitChosen, this, locateHit);
}

void TMainForm::SogetextEnter() {
    if (!m_opened) {
        CreateOpenAll();
        return;
    }
    if (!m_dataBox)
        return;
    framework::updateRecord(&m_dataBox->VideoSource());
    engine::Table& recordings = m_dataBox->VideoTable();
    if (recordings.isEditing() && recordings.modified())
        recordings.post();
}

bool TMainForm::SogetextKeyPress(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    // Swallowed: the box takes no line break and passes the key on to nothing else.
    startsogning();
    return true;
}

void TMainForm::RadioBTitelClick() {
    // The search does not start by itself; the user goes on in the search box.
    Sogetext->setFocus(Qt::OtherFocusReason);
}

void TMainForm::startsogning() {
    const QString text = Sogetext->text();
    if (text.isEmpty() || !m_opened)
        return;
    // Whatever the search ends with, the user can type the next text over this one.
    const auto backToSearchBox = qScopeGuard([this] {
        activateWindow();
        Sogetext->setFocus(Qt::OtherFocusReason);
        Sogetext->selectAll();
    });
    const QString upper = engine::danishUpper(text);
    if (RadioBTitel->isChecked())
        GenerelSearchForm->startsogning(TGenerelSearchForm::Titles, upper);
    else if (RadioBInstruktor->isChecked())
        GenerelSearchForm->startsogning(TGenerelSearchForm::Director, upper);
    else if (RadioBSkuespiller->isChecked())
        SkuespillerSearchForm->startsogning(upper);
    else if (RadioBBaandNavn->isChecked())
        GenerelSearchForm->startsogning(TGenerelSearchForm::TapeName, upper);
}
