#include "SkuespillerFormUnit.h"

#include "FuldBilledeUnit.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "engine/error.h"
#include "engine/filter_expression.h"
#include "framework/db_grid.h"
#include "framework/db_memo.h"
#include "framework/error_display.h"
#include "framework/field_data_link.h"
#include "framework/image_control.h"
#include "framework/message_box.h"
#include "framework/picture_display.h"
#include "framework/picture_path.h"
#include "picture_file_dialog.h"

#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace {

const QString kFornavn = QStringLiteral("Fornavn");
const QString kEfternavn = QStringLiteral("Efternavn");
const QString kFodtdato = QStringLiteral("Fodtdato");
const QString kDoddato = QStringLiteral("Doddato");
const QString kAutoInc = QStringLiteral("SkuespillerAutoInc");
const QString kAutoIncStr = QStringLiteral("SkuespillerAutoIncStr");
const QString kBilledepath = QStringLiteral("Billedepath");
// What the date mask "99\-99\-9999" gives when no digit is typed.
const QString kBlankDate = QStringLiteral("  -  -    ");

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

// A file in a directory, without doubling the separator of a root directory.
QString fileInDirectory(const QString& directory, const QString& file) {
    return directory.endsWith(u'/') ? directory + file : directory + u'/' + file;
}

} // namespace

TSkuespillerForm::TSkuespillerForm(TDataBox& dataBox, TFuldBilledeForm& fullPicture,
                                   QWidget* parent)
    : QDialog(parent), m_dataBox(dataBox), m_fullPicture(fullPicture),
      m_skuespillerTable(dataBox.session()), m_skuespillerSource(this) {
    setObjectName(QStringLiteral("SkuespillerForm"));
    setWindowTitle(QStringLiteral("Skuespillere"));
    // A fixed-size dialog with the system menu and the minimise button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    m_skuespillerTable.setAliasName(QString::fromUtf8(schema::kAlias));
    m_skuespillerTable.setTableName(schema::actors().fileName);
    m_skuespillerTable.setIndexName(QStringLiteral("SecEfternavn"));
    m_skuespillerTable.setFieldDefs(schema::actors().fields);
    m_skuespillerTable.setFilterCaseInsensitive(true);
    m_skuespillerTable.setFiltered(true);
    m_skuespillerTable.beforePost = [this](engine::Table& table) {
        m_postingInsert = table.state() == engine::DatasetState::Insert;
    };
    m_skuespillerTable.afterPost = [this](engine::Table& table) {
        SkuespillerTableAfterPost(table);
    };
    m_skuespillerSource.setObjectName(QStringLiteral("SkuespillerSource"));
    m_skuespillerSource.setDataSet(&m_skuespillerTable);

    m_choosePicture = [this](const QString& directory) {
        return choosePictureFile(this, directory);
    };

    buildWindow();
    connect(&m_skuespillerSource, &framework::DataSource::dataChange, this,
            [this] { SkuespillerSourceDataChange(); });
}

TSkuespillerForm::~TSkuespillerForm() {
    // The controls let go of the data source before the dataset goes; the picture display
    // has nothing more to show.
    disconnect(&m_skuespillerSource, nullptr, this, nullptr);
    m_skuespillerSource.setDataSet(nullptr);
}

void TSkuespillerForm::buildWindow() {
    setFixedSize(697, 389);

    Label1 = named(new QLabel(QStringLiteral("Fornavn"), this), "Label1");
    Label1->setGeometry(8, 6, 149, 16);
    EditFornavn = named(new QLineEdit(this), "EditFornavn");
    EditFornavn->setGeometry(8, 22, 149, 23);
    Label1->setBuddy(EditFornavn);
    Label2 = named(new QLabel(QStringLiteral("Efternavn"), this), "Label2");
    Label2->setGeometry(164, 6, 137, 16);
    EditEfternavn = named(new QLineEdit(this), "EditEfternavn");
    EditEfternavn->setGeometry(164, 22, 137, 23);
    Label2->setBuddy(EditEfternavn);
    connect(EditFornavn, &QLineEdit::textChanged, this, [this] { EditFornavnChange(); });
    connect(EditEfternavn, &QLineEdit::textChanged, this, [this] { EditFornavnChange(); });

    Opretspillerbtn = button(this, "Opretspillerbtn", QStringLiteral("Opret denne skuespiller"),
                             QRect(310, 21, 160, 25));
    connect(Opretspillerbtn, &QPushButton::clicked, this, [this] { OpretspillerbtnClick(); });

    DBGrid1 = named(new framework::DBGrid(this), "DBGrid1");
    DBGrid1->setGeometry(8, 54, 462, 290);
    const auto column = [](const QString& field, const QString& title, int width) {
        framework::GridColumn c;
        c.fieldName = field;
        c.title = title;
        c.width = width;
        return c;
    };
    DBGrid1->setColumns({column(kFornavn, QStringLiteral("Fornavn"), 149),
                         column(kEfternavn, QStringLiteral("Efternavn"), 137),
                         column(kFodtdato, QStringLiteral("Født dato"), 68),
                         column(kDoddato, QStringLiteral("Død dato"), 67)});
    DBGrid1->setDataSource(&m_skuespillerSource);
    DBGrid1->setToolTip(QStringLiteral("Tast Ctrl+Delete for at slette"));
    connect(DBGrid1, &framework::DBGrid::entered, this, [this] { DBGrid1Enter(); });
    connect(DBGrid1, &framework::DBGrid::dblClick, this, [this] { DBGrid1DblClick(); });

    BilledeBox = named(new QGroupBox(QStringLiteral("Billede"), this), "BilledeBox");
    BilledeBox->setGeometry(480, 6, 209, 221);
    Image1 = named(new framework::ImageControl(BilledeBox), "Image1");
    Image1->setStretch(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setGeometry(2, 15, 205, 204);
    Image1->hide();
    m_pictureDisplay = new framework::PictureDisplay(Image1, BilledeBox, this);
    connect(Image1, &framework::ImageControl::clicked, this, [this] { Image1Click(); });

    DBMemo1 = named(new framework::DBMemo(this), "DBMemo1");
    DBMemo1->setGeometry(480, 231, 209, 22);
    DBMemo1->setReadOnly(true);
    DBMemo1->setFrameShape(QFrame::NoFrame);
    DBMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DBMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DBMemo1->setFocusPolicy(Qt::NoFocus);
    DBMemo1->setBackgroundVisible(false);
    DBMemo1->viewport()->setAutoFillBackground(false);
    DBMemo1->setDataSource(&m_skuespillerSource);
    DBMemo1->setDataField(kBilledepath);

    BitBtn1 = button(this, "BitBtn1", QStringLiteral("Vælg billede"), QRect(480, 259, 101, 25));
    BitBtn1->setToolTip(QStringLiteral("Vælg et billede til skuespiller"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    BitBtn3 = button(this, "BitBtn3", QStringLiteral("Fjern billede"), QRect(588, 259, 101, 25));
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    BitBtn4 = button(this, "BitBtn4", QStringLiteral("Scan"), QRect(480, 290, 101, 25));
    BitBtn4->setToolTip(QStringLiteral("Scan for billeder til skuespillere"));
    BitBtn4->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });

    OverforBtn = button(this, "OverforBtn", QStringLiteral("Tilføj"), QRect(496, 354, 91, 27));
    OverforBtn->setToolTip(QStringLiteral("Overfør skuespiller til film"));
    OverforBtn->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    OverforBtn->hide();
    connect(OverforBtn, &QPushButton::clicked, this, [this] { done(6); });
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("Luk"), QRect(598, 354, 91, 27));
    BitBtn2->setToolTip(QStringLiteral("Luk skuespillere register"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(1); });
    // A click on either leaves the focus in the grid: the closing post is the one attempt to
    // store a pending row, and a refused row is still in front of the user.
    for (QPushButton* closing : {OverforBtn, BitBtn2})
        closing->setFocusPolicy(Qt::TabFocus);

    setTabOrder(EditFornavn, EditEfternavn);
    setTabOrder(EditEfternavn, Opretspillerbtn);
    setTabOrder(Opretspillerbtn, DBGrid1);
}

// ---- Showing, searching, creating ----

void TSkuespillerForm::openSkuespillerTable() {
    if (m_skuespillerTable.isActive())
        return;
    m_skuespillerTable.open();
    // The fields are made anew by every opening.
    for (const QString& name : {kFodtdato, kDoddato})
        m_skuespillerTable.fieldByName(name).onSetText = [this](engine::Field& f,
                                                                const QString& text) {
            SkuespillerTableFodtdatoSetText(f, text);
        };
}

void TSkuespillerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring the minimised window is no new showing: the search and the rows stay.
    if (event->spontaneous())
        return;
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    // Enter picks the actor while picking, and closes the register otherwise.
    const bool picking = !OverforBtn->isHidden();
    OverforBtn->setDefault(picking);
    BitBtn2->setDefault(!picking);
    FormShow();
}

void TSkuespillerForm::FormShow() {
    framework::guarded([this] {
        openSkuespillerTable();
        EditFornavn->clear();
        EditEfternavn->clear();
        EditFornavn->setFocus();
    });
}

// Each typed text is quoted, so that an apostrophe or any other character in a name is
// matched as it stands instead of breaking the filter.
void TSkuespillerForm::EditFornavnChange() {
    const QString fornavn = EditFornavn->text();
    const QString efternavn = EditEfternavn->text();
    framework::guarded([&] {
        m_skuespillerTable.setFiltered(!fornavn.isEmpty() || !efternavn.isEmpty());
        QString filter;
        if (!fornavn.isEmpty())
            filter = QStringLiteral("Fornavn = ") + engine::quoteFilterValue(fornavn + u'*');
        if (!efternavn.isEmpty()) {
            if (!filter.isEmpty())
                filter += QStringLiteral(" AND ");
            filter += QStringLiteral("efternavn = ") + engine::quoteFilterValue(efternavn + u'*');
        }
        m_skuespillerTable.setFilterText(filter);
    });
    Opretspillerbtn->setToolTip(QStringLiteral("Opret skuespiller ") + fornavn + u' ' + efternavn);
}

void TSkuespillerForm::DBGrid1Enter() {
    framework::guarded([this] {
        if (!m_skuespillerTable.isActive() || m_skuespillerTable.recordCount() != 0)
            return;
        m_skuespillerTable.setFiltered(false);
        EditFornavn->clear();
        EditEfternavn->clear();
    });
}

void TSkuespillerForm::DBGrid1DblClick() {
    if (!OverforBtn->isHidden())
        done(6);
}

void TSkuespillerForm::OpretspillerbtnClick() {
    const QString fornavn = EditFornavn->text();
    const QString efternavn = EditEfternavn->text();
    if (fornavn.isEmpty() && efternavn.isEmpty()) {
        framework::information(QStringLiteral("Indtast mindst et fornavn eller efternavn."));
        return;
    }
    framework::guarded([&] {
        m_skuespillerTable.insert();
        m_skuespillerTable.fieldByName(kFornavn).setAsString(fornavn);
        m_skuespillerTable.fieldByName(kEfternavn).setAsString(efternavn);
        m_skuespillerTable.post();
    });
}

// Keeps the identity text equal to the identity, which the engine gives on the first post.
// The second post finds the text filled and stops.
void TSkuespillerForm::SkuespillerTableAfterPost(engine::Table& table) {
    const bool inserted = std::exchange(m_postingInsert, false);
    if (!table.isEmpty() && table.fieldByName(kAutoIncStr).asString().isEmpty()) {
        table.edit();
        table.fieldByName(kAutoIncStr)
            .setAsString(QString::number(table.fieldByName(kAutoInc).asInteger()));
        table.post();
    }
    // A new row that the filter does not let through has left the view, and the current row
    // is another one; the new row is the newest of the table.
    if (inserted)
        m_newestActor = fillIdentityOfNewestActor();
}

qint64 TSkuespillerForm::fillIdentityOfNewestActor() {
    engine::Table newest(m_dataBox.session());
    newest.setAliasName(QString::fromUtf8(schema::kAlias));
    newest.setTableName(schema::actors().fileName);
    newest.setFieldDefs(schema::fieldsOf(schema::actors(), {kAutoInc, kAutoIncStr}));
    newest.open();
    newest.last();
    if (newest.isEmpty())
        return 0;
    const qint64 id = newest.fieldByName(kAutoInc).asInteger();
    if (newest.fieldByName(kAutoIncStr).asString().isEmpty()) {
        newest.edit();
        newest.fieldByName(kAutoIncStr).setAsString(QString::number(id));
        newest.post();
    }
    return id;
}

void TSkuespillerForm::SkuespillerTableFodtdatoSetText(engine::Field& field, const QString& text) {
    if (text == kBlankDate)
        field.clear();
    else
        field.setTextDefault(text);
}

// Ends a pending edit: a change is posted, an unchanged edit or new row dropped. The actor
// the window closes on is the row the user had in front: the posted one even when it has
// left the search's rows, otherwise the current one.
bool TSkuespillerForm::FormCloseQuery() {
    m_closingActor.reset();
    if (!m_skuespillerTable.isActive())
        return true;
    return framework::guarded([this] {
        engine::Table& actors = m_skuespillerTable;
        framework::updateRecord(&m_skuespillerSource);
        const bool posting = actors.isEditing() && actors.modified();
        const bool inserting = actors.state() == engine::DatasetState::Insert;
        const qint64 edited = inserting ? 0 : actors.fieldByName(kAutoInc).asInteger();
        m_newestActor = 0;
        actors.checkBrowseMode();
        if (posting)
            m_closingActor = inserting ? m_newestActor : edited;
        else if (!actors.isEmpty())
            m_closingActor = actors.fieldByName(kAutoInc).asInteger();
    });
}

// A save that fails keeps the window open with the user's row: the user has been told why,
// and tries again, corrects the row or drops it with Escape.
void TSkuespillerForm::done(int result) {
    if (!FormCloseQuery()) {
        DBGrid1->focusCurrentCell();
        return;
    }
    m_pickedActor = result == 6 ? m_closingActor : std::nullopt;
    QDialog::done(result);
}

// An action on "the current actor" needs one: a stored row, or a new row the user has
// begun. Without, it would store a nameless actor.
bool TSkuespillerForm::hasCurrentActor() const {
    const engine::Table& actors = m_skuespillerTable;
    if (!actors.isActive())
        return false;
    if (actors.state() == engine::DatasetState::Insert)
        return actors.modified();
    return !actors.isEmpty();
}

// ---- Pictures ----

QString TSkuespillerForm::pictureDirectory() const {
    engine::Table& settings = m_dataBox.SystemTable();
    return settings.isActive() ? settings.fieldByName(QStringLiteral("BilledePath")).asString()
                               : QString();
}

void TSkuespillerForm::BitBtn1Click() {
    if (!hasCurrentActor())
        return;
    framework::guarded([this] {
        const std::optional<QString> file =
            m_choosePicture ? m_choosePicture(pictureDirectory()) : std::nullopt;
        if (!file)
            return;
        m_skuespillerTable.edit();
        m_skuespillerTable.fieldByName(kBilledepath)
            .setAsString(framework::storedPicturePath(*file, m_dataBox.programDir()));
        m_skuespillerTable.post();
    });
}

void TSkuespillerForm::BitBtn3Click() {
    if (!hasCurrentActor())
        return;
    framework::guarded([this] {
        m_skuespillerTable.edit();
        m_skuespillerTable.fieldByName(kBilledepath).clear();
        m_skuespillerTable.post();
    });
}

// Runs on every notice of the register's source; one action makes several (the row moved,
// the rows were read again). The picture display takes the file up once the action is over,
// so that a missing or damaged file is told once per action.
void TSkuespillerForm::SkuespillerSourceDataChange() {
    if (!m_skuespillerTable.isActive())
        return;
    framework::guarded([this] {
        const QString programDir = m_dataBox.programDir();
        const QString path = m_skuespillerTable.fieldByName(kBilledepath).asString();
        if (path == SidsteBilledepath)
            return;
        m_pictureDisplay->clear();
        SidsteBilledepath = path;
        if (path.isEmpty())
            return;
        // A full path inside the program directory is stored relative from now on. The post
        // runs this handler again, which asks for the same picture.
        if (framework::isInsideProgramDir(path, programDir)) {
            m_skuespillerTable.edit();
            m_skuespillerTable.fieldByName(kBilledepath).setAsString(path.mid(programDir.size()));
            m_skuespillerTable.post();
        }
        SidsteBilledepath = framework::resolvePicturePath(SidsteBilledepath, programDir);
        m_pictureDisplay->showFile(SidsteBilledepath);
    });
}

void TSkuespillerForm::Image1Click() {
    m_fullPicture.ShowFullPicture(Image1->picture());
}

QStringList TSkuespillerForm::scanCandidates(const QString& directory, const QString& fornavn,
                                             const QString& efternavn) {
    if (fornavn.size() < 3 || efternavn.size() < 3)
        return {};
    const QString first = framework::capitalizeAscii(fornavn.left(3));
    const QString last = framework::capitalizeAscii(efternavn.left(3));
    // Ordinary files only: no directories, hidden or system files.
    const QDir dir(directory.isEmpty() ? QDir::rootPath() : directory);
    QStringList candidates;
    for (const QString& file : dir.entryList(QDir::Files, QDir::Unsorted)) {
        const qsizetype dot = file.indexOf(u'.');
        if (dot < 0)
            continue;
        const QString extension = framework::capitalizeAscii(file.mid(dot + 1));
        if (extension != u"BMP" && extension != u"JPG")
            continue;
        const QString name = framework::capitalizeAscii(file);
        if (name.contains(first) && name.contains(last))
            candidates << file;
    }
    return candidates;
}

void TSkuespillerForm::scanForActor() {
    const QString fornavn = m_skuespillerTable.fieldByName(kFornavn).asString();
    const QString efternavn = m_skuespillerTable.fieldByName(kEfternavn).asString();
    const QString directory = pictureDirectory();
    for (const QString& file : scanCandidates(directory, fornavn, efternavn)) {
        const QString question = QStringLiteral("Tiljøj billede ") + file +
                                 QStringLiteral(" til skuespiller ") + fornavn + u' ' + efternavn;
        if (!framework::askYesNo(QStringLiteral("Confirm"), question,
                                 framework::MessageButton::Yes))
            continue;
        const QString path = directory.isEmpty() ? u'/' + file : fileInDirectory(directory, file);
        m_skuespillerTable.edit();
        m_skuespillerTable.fieldByName(kBilledepath)
            .setAsString(framework::storedPicturePath(path, m_dataBox.programDir()));
        m_skuespillerTable.post();
        return;
    }
}

void TSkuespillerForm::BitBtn4Click() {
    framework::guarded([this] {
        m_skuespillerTable.first();
        while (!m_skuespillerTable.eof()) {
            if (m_skuespillerTable.fieldByName(kBilledepath).asString().isEmpty())
                scanForActor();
            m_skuespillerTable.next();
        }
        m_skuespillerTable.first();
    });
}
