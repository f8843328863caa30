// The main window's page "Skuespillere": the cast of the current recording and the
// picture of the chosen actor.

#include "Spolebox.h"
#include "Spolebox_widgets.h"

#include "data/Databoxunit.h"
#include "framework/db_grid.h"
#include "framework/db_text.h"
#include "framework/error_display.h"
#include "framework/field_data_link.h"
#include "framework/image_control.h"
#include "framework/message_box.h"
#include "framework/picture_display.h"
#include "framework/picture_path.h"
#include "registers/FuldBilledeUnit.h"
#include "registers/SkuespillerFormUnit.h"

#include <QGroupBox>
#include <QPushButton>

using namespace mainform;

void TMainForm::buildCastPage() {
    QWidget* page = SkuespillereSide;
    SkuespillerSource2 = new framework::DataSource(this);
    SkuespillerSource2->setObjectName(QStringLiteral("SkuespillerSource2"));

    DBGrid1 = control<framework::DBGrid>("DBGrid1", page, 4, 4, 310, 186);
    DBGrid1->setReadOnly(true);
    const auto column = [](const char* field, int width) {
        framework::GridColumn c;
        c.fieldName = QString::fromLatin1(field);
        c.title = c.fieldName;
        c.width = width;
        return c;
    };
    DBGrid1->setColumns({column("Fornavn", 131), column("Efternavn", 155)});

    label(QStringLiteral("Født dato"), page, 4, 196, 56);
    DBText3 = control<framework::DBText>("DBText3", page, 60, 196, 90);
    label(QStringLiteral("Død dato"), page, 160, 196, 56);
    DBText4 = control<framework::DBText>("DBText4", page, 216, 196, 90);

    BilledeBox = new QGroupBox(QStringLiteral("Billede"), page);
    BilledeBox->setObjectName(QStringLiteral("BilledeBox"));
    BilledeBox->setGeometry(330, 2, 169, 153);
    Image1 = control<framework::ImageControl>("Image1", BilledeBox, 2, 15, 165, 136);
    Image1->setStretch(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->hide();
    m_pictureDisplay = new framework::PictureDisplay(Image1, BilledeBox, this);

    BitBtn1 = control<QPushButton>("BitBtn1", page, 330, 162, 169, 25);
    BitBtn1->setText(QStringLiteral("&Tilføj skuespiller"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    BitBtn2 = control<QPushButton>("BitBtn2", page, 330, 192, 169, 25);
    BitBtn2->setText(QStringLiteral("&Fjern skuespiller"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));

    connect(BitBtn1, &QPushButton::clicked, this,
            framework::guardedSlot([this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this,
            framework::guardedSlot([this] { BitBtn2Click(); }));
    connect(Image1, &framework::ImageControl::clicked, this,
            framework::guardedSlot([this] { Image1Click(); }));
    connect(SkuespillerSource2, &framework::DataSource::dataChange, this,
            framework::guardedSlot([this] { SkuespillerSourceDataChange(); }));
}

void TMainForm::storeCastList(const QString& list) {
    engine::Table& recordings = m_dataBox->VideoTable();
    recordings.edit();
    recordings.fieldByName(kCastList).setAsString(list);
    recordings.post();
}

void TMainForm::BitBtn1Click() {
    if (!m_dataBox || !SkuespillerForm)
        return;
    SkuespillerForm->OverforBtn->setVisible(true);
    const int result = SkuespillerForm->exec();
    SkuespillerForm->OverforBtn->setVisible(false);
    // The register names the actor the user had in front, which need not be its current row
    // (a new actor outside its search); "Tilføj" while it shows nobody picks nobody.
    const std::optional<qint64> actor = SkuespillerForm->pickedActor();
    if (result != 6 || !actor)
        return;
    const QString token = castToken(*actor);
    framework::updateRecord(&m_dataBox->VideoSource());
    const QString list = token + m_dataBox->VideoTable().fieldByName(kCastList).asString();
    // The field would cut a longer list anywhere, even inside a token.
    if (list.size() > kCastListSize) {
        framework::systemError(
            QStringLiteral("Der er ikke plads til flere skuespillere på denne optagelse."));
        return;
    }
    storeCastList(list);
    m_dataBox->SkuespillerTable2().refresh();
}

void TMainForm::BitBtn2Click() {
    if (!m_dataBox)
        return;
    engine::Table& cast = m_dataBox->SkuespillerTable2();
    // No actor selected, no token: an empty number's "**" would match where two tokens meet.
    if (!cast.isActive() || cast.isEmpty())
        return;
    const QString token = castToken(cast.fieldByName(kActorId).asInteger());
    framework::updateRecord(&m_dataBox->VideoSource());
    QString list = m_dataBox->VideoTable().fieldByName(kCastList).asString();
    const qsizetype at = list.indexOf(token);
    if (at < 0)
        return;
    list.remove(at, token.size());
    storeCastList(list);
    cast.refresh();
}

// Runs on every notice of the cast grid's source; one action (a move to another recording)
// makes several. The picture display takes the file up once the action is over, so that a
// missing or damaged file is told once, with the new recording already on the screen.
void TMainForm::SkuespillerSourceDataChange() {
    if (!m_dataBox || !SkuespillerSource2->dataSet())
        return;
    engine::Table& cast = m_dataBox->SkuespillerTable2();
    if (!cast.isActive())
        return;
    const QString path =
        cast.isEmpty() ? QString() : cast.fieldByName(QStringLiteral("Billedepath")).asString();
    if (path == SidsteBilledepath)
        return;
    m_pictureDisplay->clear();
    SidsteBilledepath = path;
    if (path.isEmpty())
        return;
    SidsteBilledepath = framework::resolvePicturePath(path, ProgramDir);
    m_pictureDisplay->showFile(SidsteBilledepath);
}

void TMainForm::Image1Click() {
    if (FuldBilledeForm)
        FuldBilledeForm->ShowFullPicture(Image1->picture());
}
