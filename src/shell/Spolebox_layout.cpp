// The main window's controls, pages, menus and tab order, laid out as written.

#include "Spolebox.h"
#include "Spolebox_widgets.h"
#include "application_setup.h"
#include "framework/db_edit.h"
#include "framework/db_grid.h"
#include "framework/db_lookup_combo_box.h"
#include "framework/db_memo.h"
#include "framework/db_navigator.h"
#include "framework/db_radio_group.h"
#include "framework/db_text.h"
#include "data/schema.h"
#include "framework/error_display.h"
#include "framework/text_fit.h"
#include "lights.h"

#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

using namespace mainform;

void TMainForm::buildWindow() {
    setWindowTitle(QStringLiteral("Spolebox"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(applicationFont());

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
    Kapitlertildigitalisering1 =
        item(diverse, "Kapitlertildigitalisering1", QStringLiteral("Kapitler til digitalisering…"),
             &TMainForm::Kapitlertildigitalisering1Click);

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
    // Mend of the written width, made for a smaller font: the longest tape name shows in full.
    const QString widestTapeName = framework::widestName(
        BaandnavnEdit->fontMetrics(), schema::tapes().field(QStringLiteral("BaandNavn"))->size);
    BaandnavnEdit->resize(
        std::max(BaandnavnEdit->width(), framework::widthToShow(*BaandnavnEdit, widestTapeName)),
        BaandnavnEdit->height());
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
        // Like the navigator's buttons they leave the focus where it is; no Tab stops.
        button->setFocusPolicy(Qt::NoFocus);
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

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    StatusPanel1 = new QLabel(bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFrameShape(QFrame::Panel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    // Mend of the written width (100): the count of a full catalogue, whose recordings are
    // numbered with 32 bits (ten digits), shows in full.
    const QString widestCount = QStringLiteral("Antal poster: ") +
                                framework::widestNumber(StatusPanel1->fontMetrics(), 10);
    StatusPanel1->setFixedWidth(
        std::max(100, framework::widthToShow(*StatusPanel1, widestCount)));
    StatusPanel2 = new QLabel(bar);
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    StatusPanel2->setFixedWidth(50);
    StatusPanel2->setFrameShape(QFrame::Panel);
    StatusPanel2->setFrameShadow(QFrame::Sunken);
    bar->addWidget(StatusPanel1);
    bar->addWidget(StatusPanel2);
}

void TMainForm::setTabOrder() {
    // The search group first, then the pages, then the navigator, then the tool strip (it
    // holds no buttons). Each set of radio buttons is one stop, on its checked button; only
    // the controls of the page in front are reached.
    QList<QWidget*> chain{Sogetext,        RadioBTitel,   RadioBInstruktor, RadioBSkuespiller,
                          RadioBBaandNavn, Titel1Edit,    Titel2Edit,       InstruktorEdit,
                          KategoriKombo,   LandEdit,      PaarEdit,         DBLookupComboBox1,
                          OptagetdatoEdit, BaandnavnEdit, SpilletidEdit,    IndexnrEdit};
    for (framework::DBRadioGroup* group : {Lyd, Hastighed}) {
        for (int i = 0; i < group->items().size(); ++i)
            chain << group->button(i);
    }
    chain << DBGrid1 << BitBtn1 << BitBtn2 << NoterMemo
          << findChild<QWidget*>(QStringLiteral("ListBox1"))
          << findChild<QWidget*>(QStringLiteral("ListBox2")) << DBNavigator1;
    for (int i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}
