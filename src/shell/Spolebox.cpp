#include "Spolebox.h"

#include "AboutFormUnit.h"
#include "VaelgKartotekUnit.h"
#include "data/Databoxunit.h"
#include "engine/collation.h"
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
#include "framework/image_control.h"
#include "framework/message_box.h"
#include "framework/picture_fit.h"
#include "framework/picture_loader.h"
#include "framework/picture_path.h"
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
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kClientWidth = 538;
constexpr int kClientHeight = 453;
constexpr int kStatusBarHeight = 19;
// A recording's cast list holds at most this many characters.
constexpr int kCastListSize = 250;

const QString kCastList = QStringLiteral("SkuespillereListe");
const QString kActorId = QStringLiteral("SkuespillerAutoInc");

// An actor's token in a cast list: "*", the actor's number, "*".
QString castToken(qint64 actorId) {
    return u'*' + QString::number(actorId) + u'*';
}

QLabel* label(const QString& text, QWidget* parent, int x, int y, int width = 70) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, width, 21);
    return l;
}

template <typename Control>
Control* control(const char* name, QWidget* parent, int x, int y, int width, int height = 21) {
    auto* c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(x, y, width, height);
    return c;
}

} // namespace

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

void TMainForm::buildWindow() {
    setWindowTitle(QStringLiteral("Spolebox"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPointSize(8);
    windowFont.setStyleHint(QFont::SansSerif);
    setFont(windowFont);

    buildMenu();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(central);

    ToolBar1 = new QToolBar(central);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, kClientWidth, 37);
    ToolBar1->setIconSize(QSize(65, 36));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setMovable(false);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { border-top: 1px solid palette(mid); "
                                           "border-bottom: 1px solid palette(mid); }"));

    DBText1 = control<framework::DBText>("DBText1", central, 0, 38, kClientWidth, 30);
    DBText1->setAlignment(Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setBold(true);
    titleFont.setPixelSize(24);
    DBText1->setFont(titleFont);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, 70, kClientWidth - 8, 252);
    // The page tabs are skipped by the Tab key.
    PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    HovedSide = new QWidget;
    HovedSide->setObjectName(QStringLiteral("HovedSide"));
    SkuespillereSide = new QWidget;
    SkuespillereSide->setObjectName(QStringLiteral("SkuespillereSide"));
    NoterSide = new QWidget;
    NoterSide->setObjectName(QStringLiteral("NoterSide"));
    MultimedieSide = new QWidget;
    MultimedieSide->setObjectName(QStringLiteral("MultimedieSide"));
    PageControl1->addTab(HovedSide, QStringLiteral("Hoved side"));
    PageControl1->addTab(SkuespillereSide, QStringLiteral("Skuespillere"));
    PageControl1->addTab(NoterSide, QStringLiteral("Noter"));
    PageControl1->addTab(MultimedieSide, QStringLiteral("Multimedie"));
    buildMainPage();
    buildCastPage();
    buildNotesPage();
    buildMultimediaPage();

    buildButtonRow(central);
    buildSearchGroup(central);
    buildStatusBar();
    setTabOrder();

    setFixedSize(sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TMainForm::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                framework::guardedSlot([this, handler] { (this->*handler)(); }));
        return action;
    };
    QMenu* kartotek = bar->addMenu(QStringLiteral("&Kartotek"));
    kartotek->setObjectName(QStringLiteral("Kartotek1"));
    Skuespillere1 = item(kartotek, "Skuespillere1", QStringLiteral("Skuespillere"),
                         &TMainForm::Skuespillere1Click);
    Kategori1 =
        item(kartotek, "Kategori1", QStringLiteral("Kategorier"), &TMainForm::Kategori1Click);
    Grupper1 = item(kartotek, "Grupper1", QStringLiteral("Grupper"), &TMainForm::Grupper1Click);
    Bnd1 = item(kartotek, "Bnd1", QStringLiteral("Bånd"), &TMainForm::Bnd1Click);
    kartotek->addSeparator()->setObjectName(QStringLiteral("N1"));
    OmSpolebox1 =
        item(kartotek, "OmSpolebox1", QStringLiteral("Om Spolebox"), &TMainForm::OmSpolebox1Click);

    QMenu* diverse = bar->addMenu(QStringLiteral("&Diverse"));
    diverse->setObjectName(QStringLiteral("Diverse1"));
    Visfritidpbnd1 = item(diverse, "Visfritidpbnd1", QStringLiteral("Vis fri tid på bånd"),
                          &TMainForm::Visfritidpbnd1Click);
    Visfritidpbnd1->setShortcut(QKeySequence(Qt::Key_F10));
    Visfritidpbnd1->setShortcutContext(Qt::WindowShortcut);

    QMenu* udskrifter = bar->addMenu(QStringLiteral("&Udskrifter"));
    udskrifter->setObjectName(QStringLiteral("Udskrifter1"));
    Oversigt1 =
        item(udskrifter, "Oversigt1", QStringLiteral("Oversigt"), &TMainForm::Oversigt1Click);

    QMenu* opsaetning = bar->addMenu(QStringLiteral("&Opsætning"));
    opsaetning->setObjectName(QStringLiteral("Opsaetning1"));
    Noget1 = item(opsaetning, "Noget1", QStringLiteral("System"), &TMainForm::Noget1Click);
}

void TMainForm::buildMainPage() {
    QWidget* page = HovedSide;

    auto* film = new QGroupBox(QStringLiteral("Film data"), page);
    film->setObjectName(QStringLiteral("GroupBox1"));
    film->setGeometry(4, 2, 300, 150);
    label(QStringLiteral("Titel 1"), film, 8, 18);
    Titel1Edit = control<framework::DBEdit>("Titel1Edit", film, 78, 18, 214);
    label(QStringLiteral("Titel 2"), film, 8, 43);
    Titel2Edit = control<framework::DBEdit>("Titel2Edit", film, 78, 43, 214);
    label(QStringLiteral("Instruktør"), film, 8, 68);
    InstruktorEdit = control<framework::DBEdit>("InstruktorEdit", film, 78, 68, 214);
    label(QStringLiteral("Kategori"), film, 8, 93);
    KategoriKombo = control<framework::DBLookupComboBox>("KategoriKombo", film, 78, 93, 214, 22);
    label(QStringLiteral("Land"), film, 8, 119);
    LandEdit = control<framework::DBEdit>("LandEdit", film, 78, 119, 80);
    label(QStringLiteral("Produktionsår"), film, 166, 119, 76);
    PaarEdit = control<framework::DBEdit>("PaarEdit", film, 242, 119, 50);

    auto* third = new QGroupBox(page);
    third->setObjectName(QStringLiteral("GroupBox3"));
    third->setGeometry(4, 154, 300, 66);
    label(QStringLiteral("Gruppe"), third, 8, 10);
    DBLookupComboBox1 =
        control<framework::DBLookupComboBox>("DBLookupComboBox1", third, 78, 10, 214, 22);
    label(QStringLiteral("Optage dato"), third, 8, 37);
    OptagetdatoEdit = control<framework::DBEdit>("OptagetdatoEdit", third, 78, 37, 140);

    auto* tape = new QGroupBox(QStringLiteral("Bånd data"), page);
    tape->setObjectName(QStringLiteral("GroupBox2"));
    tape->setGeometry(310, 2, 212, 218);
    label(QStringLiteral("Bånd"), tape, 8, 18, 60);
    BaandnavnEdit = control<framework::DBEdit>("BaandnavnEdit", tape, 70, 18, 80);
    label(QStringLiteral("Spilletid"), tape, 8, 43, 60);
    SpilletidEdit = control<framework::DBEdit>("SpilletidEdit", tape, 70, 43, 50);
    label(QStringLiteral("Index nr."), tape, 8, 68, 60);
    IndexnrEdit = control<framework::DBEdit>("IndexnrEdit", tape, 70, 68, 50);
    label(QStringLiteral("Starttid"), tape, 128, 43, 44);
    StarttidEdit = control<framework::DBEdit>("StarttidEdit", tape, 156, 68, 48);
    StarttidEdit->move(156, 68);
    // Reached by the mouse only.
    StarttidEdit->setFocusPolicy(Qt::ClickFocus);
    Lyd = control<framework::DBRadioGroup>("Lyd", tape, 8, 96, 104, 92);
    Lyd->setTitle(QStringLiteral("Lyd"));
    Lyd->setItems({QStringLiteral("Surround"), QStringLiteral("Stereo"), QStringLiteral("Mono")});
    Hastighed = control<framework::DBRadioGroup>("Hastighed", tape, 118, 96, 86, 92);
    Hastighed->setTitle(QStringLiteral("Hastighed"));
    Hastighed->setItems({QStringLiteral("SP"), QStringLiteral("LP")});

    connect(BaandnavnEdit, &framework::DBEdit::exited, this,
            framework::guardedSlot([this] { BaandnavnEditExit(); }));
}

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

void TMainForm::buildNotesPage() {
    NoterMemo = control<framework::DBMemo>("NoterMemo", NoterSide, 0, 0, 10, 10);
    QFont memoFont(QStringLiteral("MS Sans Serif"));
    memoFont.setPixelSize(13);
    memoFont.setStyleHint(QFont::SansSerif);
    NoterMemo->setFont(memoFont);
    NoterMemo->setGeometry(2, 2, PageControl1->width() - 12, 218);
}

void TMainForm::buildMultimediaPage() {
    QWidget* page = MultimedieSide;
    auto* media = new QGroupBox(QStringLiteral("Lyd / Film filer"), page);
    media->setObjectName(QStringLiteral("GroupBox4"));
    media->setGeometry(4, 2, 250, 150);
    auto* mediaList = new QListWidget(media);
    mediaList->setObjectName(QStringLiteral("ListBox1"));
    mediaList->setGeometry(8, 18, 234, 122);
    mediaList->addItems(
        {QStringLiteral("Indledning"), QStringLiteral("Film stump"), QStringLiteral("osv..")});

    auto* pictures = new QGroupBox(QStringLiteral("Billeder"), page);
    pictures->setObjectName(QStringLiteral("GroupBox5"));
    pictures->setGeometry(262, 2, 256, 150);
    auto* pictureList = new QListWidget(pictures);
    pictureList->setObjectName(QStringLiteral("ListBox2"));
    pictureList->setGeometry(8, 18, 140, 122);
    pictureList->addItems({QStringLiteral("Hoved person"), QStringLiteral("Billede 1"),
                           QStringLiteral("Billede 2"), QStringLiteral("osv..")});
    auto* choose = new QPushButton(QStringLiteral("Vælg billede"), pictures);
    choose->setObjectName(QStringLiteral("BitBtn3"));
    choose->setGeometry(156, 18, 92, 25);
    choose->setEnabled(false);
    auto* remove = new QPushButton(QStringLiteral("Fjern billede"), pictures);
    remove->setObjectName(QStringLiteral("BitBtn4"));
    remove->setGeometry(156, 50, 92, 25);
    remove->setEnabled(false);

    auto* note = new QLabel(QStringLiteral("Denne side er ikke aktiv denne version af programmet, "
                                           "men vil komme med i næste version."),
                            page);
    note->setObjectName(QStringLiteral("Label10"));
    QFont noteFont(QStringLiteral("Times New Roman"));
    noteFont.setPixelSize(13);
    note->setFont(noteFont);
    note->setWordWrap(true);
    note->setGeometry(8, 158, 510, 40);
}

void TMainForm::buildButtonRow(QWidget* central) {
    DBNavigator1 = new framework::DBNavigator(central);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->move(8, 326);
    auto makeButton = [central](const char* name, const QString& caption, const QString& hint,
                                int x) {
        auto* button = new QToolButton(central);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setGeometry(x, 326, 75, 25);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };
    SpeedButton2 = makeButton("SpeedButton2", QStringLiteral("&Ny Post"),
                              QStringLiteral("Opret ny post"), 150);
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    SpeedButton2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton3 = makeButton("SpeedButton3", QStringLiteral("Slet"),
                              QStringLiteral("Slet aktuelle post"), 230);
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    SpeedButton3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(SpeedButton2, &QToolButton::clicked, this,
            framework::guardedSlot([this] { SpeedButton2Click(); }));
    connect(SpeedButton3, &QToolButton::clicked, this,
            framework::guardedSlot([this] { SpeedButton3Click(); }));

    PaintBox1 = new TLights(central);
    PaintBox1->move(kClientWidth - 18, 326);
}

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
}

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    StatusPanel1 = new QLabel(bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFixedWidth(100);
    StatusPanel1->setFrameShape(QFrame::Panel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    StatusPanel2 = new QLabel(bar);
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    StatusPanel2->setFixedWidth(50);
    StatusPanel2->setFrameShape(QFrame::Panel);
    StatusPanel2->setFrameShadow(QFrame::Sunken);
    bar->addWidget(StatusPanel1);
    bar->addWidget(StatusPanel2);
}

void TMainForm::setTabOrder() {
    // The search group first, then the pages, then the navigator, then the tool strip.
    QList<QWidget*> chain{
        Sogetext,    RadioBTitel, Titel1Edit,        Titel2Edit,      InstruktorEdit, KategoriKombo,
        LandEdit,    PaarEdit,    DBLookupComboBox1, OptagetdatoEdit, BaandnavnEdit,  SpilletidEdit,
        IndexnrEdit, Lyd,         Hastighed,         DBNavigator1,    SpeedButton2,   SpeedButton3};
    for (int i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
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
        // Entering the box counts; its window merely becoming active again does not.
        if (event->type() == QEvent::FocusIn &&
            (!m_opened ||
             static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason)) {
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

void TMainForm::CreateOpenAll() {
    if (m_opened || m_opening || m_closing)
        return;
    m_opening = true;
    auto* splash = new TAboutForm(this);
    splash->LukButton->setVisible(false);
    splash->LukButton->setEnabled(false);
    splash->show();
    QCoreApplication::processEvents();

    m_dataBox = std::make_unique<TDataBox>(*m_options.session, m_options.programDir);
    bool ready = m_dataBox->opened();
    if (ready) {
        connect(m_dataBox.get(), &TDataBox::statusBarTextChanged, this, &TMainForm::setStatusText);
        connect(m_dataBox.get(), &TDataBox::focusBaandnavnEdit, this, [this] {
            if (BaandnavnEdit->isVisible() && BaandnavnEdit->isEnabled())
                BaandnavnEdit->setFocus(Qt::OtherFocusReason);
        });
        setStatusText(m_dataBox->statusBarText());
        ready = framework::guarded([this] {
            m_dataBox->BaandTable().open();
            m_dataBox->SystemTable().open();
        });
        if (!ready)
            framework::errorMessage(
                QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support."));
    }
    if (!ready) {
        splash->hide();
        splash->deleteLater();
        m_dataBox.reset();
        m_opening = false;
        m_closing = true;
        Q_EMIT catalogueFailed();
        return;
    }
    createWindows();
    bindControls();
    m_opened = true;
    m_opening = false;

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
    SkuespillerSearchForm = new TSkuespillerSearchForm(box, this);
    GenerelSearchForm = new TGenerelSearchForm(box, this);
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

// ---- Cast page ----

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
    engine::Table& actors = SkuespillerForm->SkuespillerTable();
    // "Tilføj" while the register shows no actor (none typed matches) picks nobody.
    if (result != 6 || !actors.isActive() || actors.isEmpty())
        return;
    const QString token = castToken(actors.fieldByName(kActorId).asInteger());
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

// One action makes the engine send several notices (the row moved, the rows were read
// again); an actor's picture is handled once per action, so that a missing file is
// reported once each time rather than once per notice.
void TMainForm::SkuespillerSourceDataChange() {
    if (!m_dataBox || !SkuespillerSource2->dataSet())
        return;
    engine::Table& cast = m_dataBox->SkuespillerTable2();
    if (!cast.isActive())
        return;
    const qint64 actor = cast.isEmpty() ? 0 : cast.fieldByName(kActorId).asInteger();
    const QString path =
        cast.isEmpty() ? QString() : cast.fieldByName(QStringLiteral("Billedepath")).asString();
    if (m_pictureHandledThisTurn && *m_pictureHandledThisTurn == std::pair(actor, path))
        return;
    if (!m_pictureHandledThisTurn)
        QTimer::singleShot(0, this, [this] { m_pictureHandledThisTurn.reset(); });
    m_pictureHandledThisTurn.emplace(actor, path);

    if (path == SidsteBilledepath)
        return;
    Image1->hide();
    SidsteBilledepath = path;
    if (path.isEmpty())
        return;
    SidsteBilledepath = framework::resolvePicturePath(path, ProgramDir);
    if (!QFileInfo(SidsteBilledepath).isFile()) {
        framework::systemError(QStringLiteral("Kan ikke finde billede."));
        return;
    }
    const QImage picture = framework::loadPicture(SidsteBilledepath);
    Image1->setPicture(picture);
    Image1->setGeometry(framework::fitPictureInFrame(BilledeBox->size(), picture.size()));
    Image1->show();
}

void TMainForm::Image1Click() {
    if (FuldBilledeForm)
        FuldBilledeForm->ShowFullPicture(Image1->picture());
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

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}
