#include "Spolebox.h"

#include "AboutFormUnit.h"
#include "VaelgKartotekUnit.h"
#include "data/Databoxunit.h"
#include "engine/datetime.h"
#include "framework/db_edit.h"
#include "framework/db_grid.h"
#include "framework/db_lookup_combo_box.h"
#include "framework/db_memo.h"
#include "framework/db_navigator.h"
#include "framework/db_radio_group.h"
#include "framework/db_text.h"
#include "framework/error_display.h"
#include "framework/field_data_link.h"
#include "framework/focus_moves.h"
#include "framework/message_box.h"
#include "framework/printer_service.h"
#include "lights.h"
#include "overview/BaandOversigtFormUnit.h"
#include "overview/ProgressBarFormUnit.h"
#include "printing/PrintOversigtRepUnit.h"
#include "printing/PrintOversigtUnit.h"
#include "registers/BaandFormUnit.h"
#include "registers/BaandtypeFormUnit.h"
#include "registers/FuldBilledeUnit.h"
#include "registers/GrupperFormUnit.h"
#include "registers/KategoriFormUnit.h"
#include "registers/OpsaetningFormUnit.h"
#include "registers/SkuespillerFormUnit.h"
#include "search/GenerelSearchFormUnit.h"
#include "search/SkuespillerSearchFormUnit.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <algorithm>

TMainForm::TMainForm(const MainFormOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options) {
    setObjectName(QStringLiteral("MainForm"));
    // The guard comes first: a second copy ends here, before any window is shown.
    JustOne1 = new TJustOne(this, m_options.instanceServerName, m_options.endProcess);
    if (JustOne1->foundOtherCopy())
        return;
    buildWindow();
    FormCreate();
    // The directory chooser and the full-size picture window live as long as the program.
    VaelgKartotekForm = new TVaelgKartotekForm(this);
    FuldBilledeForm = new TFuldBilledeForm(this);
}

TMainForm::~TMainForm() {
    // The cast page lets go of the data module's actors before the data module goes.
    if (SkuespillerSource2) {
        disconnect(SkuespillerSource2, nullptr, this, nullptr);
        SkuespillerSource2->setDataSet(nullptr);
    }
    // The windows bound to the data module go before it.
    const auto children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            delete child;
    }
}

void TMainForm::FormCreate() {
    // Dates are typed and shown day first, whatever the regional settings say.
    engine::formatSettings().shortDateFormat = QStringLiteral("dd-mm-yyyy");
    engine::formatSettings().dateSeparator = u'-';
    ProgramDir = m_options.programDir;
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TMainForm::MyOnidle);
}

void TMainForm::MyOnidle() {
    // Now and then, when the queue has run empty, the lights change colour.
    if (PaintBox1 && QRandomGenerator::global()->bounded(100) == 1)
        PaintBox1->update();
}

void TMainForm::setStatusText(const QString& text) {
    StatusPanel1->setText(text);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_opened && !m_opening) {
        // The search box is the first focused control; its first focus opens the catalogue.
        Sogetext->setFocus(Qt::OtherFocusReason);
        QTimer::singleShot(0, this, [this] {
            if (!m_opened && !m_opening && isVisible())
                SogetextEnter();
        });
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Sogetext) {
        // Entering the box from another control counts; coming back to it from a menu or
        // another window does not.
        if (event->type() == QEvent::FocusIn &&
            (!m_opened || framework::isFocusMove(Sogetext, *static_cast<QFocusEvent*>(event)))) {
            // Deferred, so that the opening's windows do not start inside a focus change.
            QTimer::singleShot(0, this, framework::guardedSlot([this] { SogetextEnter(); }));
        }
        if (event->type() == QEvent::KeyPress) {
            bool swallowed = false;
            framework::guarded(
                [&] { swallowed = SogetextKeyPress(*static_cast<QKeyEvent*>(event)); });
            if (swallowed)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::CreateOpenAll() {
    if (m_opened || m_opening || m_closing)
        return;
    m_opening = true;
    auto* splash = new TAboutForm(this);
    splash->LukButton->setVisible(false);
    splash->LukButton->setEnabled(false);
    splash->show();
    QCoreApplication::processEvents();

    // One message for any failure, the data module's own or a later one; the engine's text
    // goes to standard error only.
    bool ready = false;
    try {
        m_dataBox = m_options.catalogueHome.directory.isEmpty()
                        ? std::make_unique<TDataBox>(*m_options.session, m_options.programDir)
                        : std::make_unique<TDataBox>(*m_options.session, m_options.programDir,
                                                     m_options.catalogueHome);
        ready = m_dataBox->opened(); // when not, it has told the user
        if (ready) {
            connect(m_dataBox.get(), &TDataBox::statusBarTextChanged, this,
                    &TMainForm::setStatusText);
            connect(m_dataBox.get(), &TDataBox::focusBaandnavnEdit, this, [this] {
                if (BaandnavnEdit->isVisible() && BaandnavnEdit->isEnabled())
                    BaandnavnEdit->setFocus(Qt::OtherFocusReason);
            });
            setStatusText(m_dataBox->statusBarText());
            m_dataBox->BaandTable().open();
            m_dataBox->SystemTable().open();
            createWindows();
            bindControls();
        }
    } catch (const std::exception& error) {
        ready = false;
        reportOpenFailure(error);
        framework::errorMessage(
            QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support."));
    }
    if (!ready) {
        splash->hide();
        splash->deleteLater();
        // The windows made so far work on the data module: they go first, the last made first.
        const QWidget* made[] = {PrintOversigtForm, PrintOversigtRepForm, OpsaetningForm,
                                 ProgressBarForm,   GenerelSearchForm,    SkuespillerSearchForm,
                                 BaandForm,         BaandtypeForm,        GrupperForm,
                                 KategoriForm,      SkuespillerForm};
        for (const QWidget* window : made)
            delete window;
        m_dataBox.reset();
        m_opening = false;
        m_closing = true;
        Q_EMIT catalogueFailed();
        return;
    }
    m_opened = true;
    m_opening = false;
    Q_EMIT catalogueReady();

    QThread::msleep(static_cast<unsigned long>(std::max(0, m_options.splashWaitMs)));
    splash->LukButton->setEnabled(true);
    splash->hide();
    splash->deleteLater();
    OmSpolebox1Click();
}

void TMainForm::createWindows() {
    TDataBox& box = *m_dataBox;
    SkuespillerForm = new TSkuespillerForm(box, *FuldBilledeForm, this);
    KategoriForm = new TKategoriForm(box, this);
    GrupperForm = new TGrupperForm(box, this);
    BaandtypeForm = new TBaandtypeForm(box, this);
    BaandForm = new TBaandForm(box, this);
    createSearchWindows();
    ProgressBarForm = new TProgressBarForm(this);
    OpsaetningForm = new TOpsaetningForm(
        box,
        [this]() -> std::optional<QString> {
            if (VaelgKartotekForm->exec() != QDialog::Accepted)
                return std::nullopt;
            return VaelgKartotekForm->directory();
        },
        this);
    // The report first: the print window takes it.
    PrintOversigtRepForm = new TPrintOversigtRepForm(box, this);
    PrintOversigtForm =
        new TPrintOversigtForm(box, *PrintOversigtRepForm, framework::printerService(), this);
}

void TMainForm::bindControls() {
    framework::DataSource* video = &m_dataBox->VideoSource();
    DBNavigator1->setDataSource(video);
    DBText1->setDataSource(video);
    DBText1->setDataField(QStringLiteral("Titel1"));
    const std::pair<framework::DBEdit*, const char*> edits[] = {
        {Titel1Edit, "Titel1"},           {Titel2Edit, "Titel2"},
        {InstruktorEdit, "Instruktor"},   {LandEdit, "Land"},
        {PaarEdit, "Produktionsaar"},     {BaandnavnEdit, "Baandnummer"},
        {SpilletidEdit, "SpilletidSPLP"}, {IndexnrEdit, "Indexnummer"},
        {StarttidEdit, "Starttid"},       {OptagetdatoEdit, "Optagetdato"}};
    for (const auto& [edit, field] : edits) {
        edit->setDataSource(video);
        edit->setDataField(QString::fromLatin1(field));
    }
    Lyd->setDataSource(video);
    Lyd->setDataField(QStringLiteral("Lyd"));
    Hastighed->setDataSource(video);
    Hastighed->setDataField(QStringLiteral("Hastighed"));
    NoterMemo->setDataSource(video);
    NoterMemo->setDataField(QStringLiteral("Noter"));
    KategoriKombo->setListSource(&m_dataBox->KategoriSource());
    KategoriKombo->setKeyField(QStringLiteral("Kategori"));
    KategoriKombo->setListField(QStringLiteral("Kategori"));
    KategoriKombo->setDataSource(video);
    KategoriKombo->setDataField(QStringLiteral("Kategori"));
    DBLookupComboBox1->setListSource(&m_dataBox->GruppeSource());
    DBLookupComboBox1->setKeyField(QStringLiteral("Lobenummer"));
    DBLookupComboBox1->setListField(QStringLiteral("Gruppenavn"));
    DBLookupComboBox1->setDataSource(video);
    DBLookupComboBox1->setDataField(QStringLiteral("Gruppe"));

    DBGrid1->setDataSource(SkuespillerSource2);
    DBText3->setDataSource(SkuespillerSource2);
    DBText3->setDataField(QStringLiteral("Fodtdato"));
    DBText4->setDataSource(SkuespillerSource2);
    DBText4->setDataField(QStringLiteral("Doddato"));
    SkuespillerSource2->setDataSet(&m_dataBox->SkuespillerTable2());
}

void TMainForm::SpeedButton2Click() {
    if (!m_dataBox)
        return;
    engine::Table& recordings = m_dataBox->VideoTable();
    framework::updateRecord(&m_dataBox->VideoSource());
    recordings.insert();
    recordings.fieldByName(QStringLiteral("Optagetdato")).setAsFloat(engine::currentDateTime());
    recordings.fieldByName(QStringLiteral("Lyd")).setText(QStringLiteral("Stereo"));
    recordings.fieldByName(QStringLiteral("Hastighed")).setText(QStringLiteral("SP"));
    recordings.fieldByName(QStringLiteral("SpilletidSP")).setAsFloat(0);
    recordings.fieldByName(QStringLiteral("SpilletidSPLP")).setAsFloat(0);
    PageControl1->setCurrentWidget(HovedSide);
    Titel1Edit->setFocus(Qt::OtherFocusReason);
}

void TMainForm::SpeedButton3Click() {
    if (!m_dataBox)
        return;
    if (!framework::askYesNo(QStringLiteral("Bekræft sletning"),
                             QStringLiteral("Ønsker du at slette denne post?"),
                             framework::MessageButton::No))
        return;
    m_dataBox->VideoTable().deleteRecord();
}

void TMainForm::BaandnavnEditExit() {
    if (!m_dataBox)
        return;
    const QString name = BaandnavnEdit->text();
    if (name.isEmpty())
        return;
    if (!m_dataBox->baandnavnexist(name)) {
        BaandtypeForm->Baandnavn->setText(name);
        if (BaandtypeForm->exec() != 1) {
            BaandnavnEdit->setTextAsTyped(QString());
            BaandnavnEdit->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    engine::Table& recordings = m_dataBox->VideoTable();
    engine::Field& start = recordings.fieldByName(QStringLiteral("Starttid"));
    if (!start.text().isEmpty())
        return;
    const QString proposal = m_dataBox->findstarttid();
    if (!recordings.isEditing())
        recordings.edit();
    start.setText(proposal);
}

void TMainForm::Skuespillere1Click() {
    if (!SkuespillerForm)
        return;
    SkuespillerForm->OverforBtn->setVisible(false);
    SkuespillerForm->exec();
}

void TMainForm::Kategori1Click() {
    if (KategoriForm)
        KategoriForm->exec();
}

void TMainForm::Grupper1Click() {
    if (GrupperForm)
        GrupperForm->exec();
}

void TMainForm::Bnd1Click() {
    if (BaandForm)
        BaandForm->exec();
}

void TMainForm::OmSpolebox1Click() {
    showAboutBoxModal(this);
}

void TMainForm::Visfritidpbnd1Click() {
    if (!m_dataBox || !ProgressBarForm)
        return;
    openTapeOverview(*m_dataBox, *ProgressBarForm, this);
}

void TMainForm::Oversigt1Click() {
    if (PrintOversigtForm)
        PrintOversigtForm->exec();
}

void TMainForm::Noget1Click() {
    if (OpsaetningForm)
        OpsaetningForm->exec();
}

bool TMainForm::FormCloseQuery() {
    if (!m_dataBox)
        return true;
    const bool posted = framework::guarded([this] {
        framework::updateRecord(&m_dataBox->VideoSource());
        engine::Table& recordings = m_dataBox->VideoTable();
        if (recordings.isEditing() && recordings.modified())
            recordings.post();
    });
    if (!posted)
        return false;
    m_dataBox->SkuespillerTable2().close();
    if (SkuespillerForm)
        SkuespillerForm->SkuespillerTable().close();
    m_dataBox->VideoTable().close();
    m_dataBox->SystemTable().close();
    m_dataBox->KategoriTable().close();
    return true;
}

void TMainForm::endBySignal() {
    // Nobody may be at the screen: no box may wait for an answer.
    framework::setMessageHandler([](const framework::MessageRequest& request) {
        qWarning().noquote() << "Spolebox:" << request.caption << "-" << request.text;
        const auto& buttons = request.buttons;
        for (framework::MessageButton cautious :
             {framework::MessageButton::Cancel, framework::MessageButton::No}) {
            if (std::find(buttons.begin(), buttons.end(), cautious) != buttons.end())
                return cautious;
        }
        return buttons.empty() ? framework::MessageButton::Ok : buttons.front();
    });
    // An open dialog closes as its own close would (the registers post their edits); the
    // main window closes once its modal loop has ended.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        QTimer::singleShot(0, this, &TMainForm::endBySignal);
        return;
    }
    if (m_opening || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &TMainForm::endBySignal);
        return;
    }
    if (!close()) {
        // The rules refused the edit and have said why: drop it, then close.
        if (m_dataBox)
            framework::guarded([this] { m_dataBox->VideoTable().cancel(); });
        close();
    }
    QCoreApplication::exit(0);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}
