#include "Databoxunit.h"

#include "data/catalogue_setup.h"
#include "data/schema.h"
#include "data/stored_tapes.h"
#include "data/tape_time.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/datetime.h"
#include "engine/error.h"
#include "engine/session.h"
#include "framework/error_display.h"
#include "framework/message_box.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

QString ProgramDir;

QString programFileDirectory() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

void reportOpenFailure(const std::exception& error) {
    const auto* engineError = dynamic_cast<const engine::Error*>(&error);
    qWarning().noquote() << "Spolebox:"
                         << (engineError ? engineError->message()
                                         : QString::fromUtf8(error.what()));
}

namespace {

const QString kAlias = QString::fromUtf8(schema::kAlias);
const QString kAliasFailed =
    QStringLiteral("Kan ikke oprette BDE alias. Kontakt evt. Kvistholm for support.");
const QString kOpenFailed =
    QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support.");
const QString kTapeMissing = QStringLiteral("Bånd navn er ikke oprettet...");
const QString kOverlap = QStringLiteral("Der er overlappende tider..");
const QString kTapeInUse =
    QStringLiteral("Der er inskrevet poster på dette bånd. Slet disse poster før båndet slettes.");

QString nameTaken(const QString& name) {
    return QStringLiteral("Der er allerede et bånd med navnet ") + name + u'.';
}

void declare(engine::Table& table, const engine::TableDef& def, const QString& index = QString(),
             std::vector<engine::FieldDef> fields = {}) {
    table.setAliasName(kAlias);
    table.setTableName(def.fileName);
    table.setIndexName(index);
    table.setFieldDefs(fields.empty() ? def.fields : std::move(fields));
}

QString overrunQuestion(int minutes) {
    return QStringLiteral("Optagelsen er ") + QString::number(minutes) +
           QStringLiteral(" minut(ter) længere end båndet.. Er dette i orden?");
}

// Opens a dataset for the length of one computation.
class OpenedFor {
public:
    explicit OpenedFor(engine::Table& table) : m_table(table) { m_table.open(); }
    ~OpenedFor() { m_table.close(); }
    OpenedFor(const OpenedFor&) = delete;
    OpenedFor& operator=(const OpenedFor&) = delete;

private:
    engine::Table& m_table;
};

// Table files that may only be read (write-protected) are told of once, at opening, instead
// of at each change refused later. The settings table, opened after the others, too.
void tellReadOnlyFiles(engine::Database& catalogue) {
    QStringList files;
    for (const engine::TableDef* def : schema::allTables()) {
        const QString path = catalogue.resolveTableFile(def->fileName);
        if (path.isEmpty())
            continue;
        try {
            if (catalogue.table(def->fileName).readOnly)
                files << u'"' + QFileInfo(path).fileName() + u'"';
        } catch (const engine::Error&) {
            // A table that cannot be opened is told of when it is opened for use.
        }
    }
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        framework::notice(QStringLiteral("Tabelfilen %1 er skrivebeskyttet. Du kan se kataloget, "
                                         "men ændringer i den kan ikke gemmes. Giv filen "
                                         "skriveadgang, og start Spolebox igen.")
                              .arg(files.front()));
        return;
    }
    const QString last = files.takeLast();
    framework::notice(QStringLiteral("Tabelfilerne %1 og %2 er skrivebeskyttede. Du kan se "
                                     "kataloget, men ændringer i dem kan ikke gemmes. Giv filerne "
                                     "skriveadgang, og start Spolebox igen.")
                          .arg(files.join(QStringLiteral(", ")), last));
}

} // namespace

TDataBox::TDataBox(engine::Session& session, const QString& programDir, QObject* parent)
    : TDataBox(session, programDir, CatalogueHome{programDir + QStringLiteral("DATA")}, parent) {}

TDataBox::TDataBox(engine::Session& session, const QString& programDir, const CatalogueHome& home,
                   QObject* parent)
    : QObject(parent), m_session(session), m_programDir(programDir), m_home(home),
      m_gruppeTable(session), m_kategoriTable(session), m_baandTable(session),
      m_videoTable(session), m_videoTableBaand(session), m_skuespillerTable2(session),
      m_systemTable(session), m_videoSource(this), m_baandSource(this), m_kategoriSource(this),
      m_gruppeSource(this), m_systemSource(this) {
    setObjectName(QStringLiteral("DataBox"));
    declareDatasets();
    bindEvents();
    DataBoxCreate();
}

TDataBox::~TDataBox() = default;

void TDataBox::declareDatasets() {
    declare(m_videoTable, schema::recordings(), QStringLiteral("SecBaandnrStarttid"));
    // Just what the tape-time computations read (the link to the tape needs no field).
    declare(m_videoTableBaand, schema::recordings(), QStringLiteral("SecBaandnrStarttid"),
            schema::fieldsOf(schema::recordings(),
                             {QStringLiteral("Starttid"), QStringLiteral("SpilletidSP"),
                              QStringLiteral("VideoAutoInc")}));
    m_videoTableBaand.setMasterLink(&m_baandTable, QStringLiteral("BaandNavn"));
    declare(m_baandTable, schema::tapes());
    declare(m_kategoriTable, schema::categories());
    declare(m_gruppeTable, schema::groups());
    declare(m_skuespillerTable2, schema::actors(), QStringLiteral("SecEfternavn"));
    declare(m_systemTable, schema::settings());

    m_videoSource.setObjectName(QStringLiteral("VideoSource"));
    m_baandSource.setObjectName(QStringLiteral("BaandSource"));
    m_kategoriSource.setObjectName(QStringLiteral("KategoriSource"));
    m_gruppeSource.setObjectName(QStringLiteral("GruppeSource"));
    m_systemSource.setObjectName(QStringLiteral("SystemSource"));
    m_videoSource.setDataSet(&m_videoTable);
    m_baandSource.setDataSet(&m_baandTable);
    m_kategoriSource.setDataSet(&m_kategoriTable);
    m_gruppeSource.setDataSet(&m_gruppeTable);
    m_systemSource.setDataSet(&m_systemTable);
}

void TDataBox::bindEvents() {
    m_videoTable.beforePost = [this](engine::Table& t) { VideoTableBeforePost(t); };
    m_videoTable.afterPost = [this](engine::Table& t) { VideoTableAfterPost(t); };
    m_videoTable.afterDelete = [this](engine::Table& t) { VideoTableAfterPost(t); };
    m_baandTable.beforePost = [this](engine::Table& t) { BaandTableBeforePost(t); };
    m_baandTable.beforeDelete = [this](engine::Table& t) { BaandTableBeforeDelete(t); };
    m_skuespillerTable2.setFilterCallback(
        [this](const engine::RecordView& actor) { return SkuespillerTable2FilterRecord(actor); });
    // The callback accepts only actors named in the cast list, and an actor's number is its
    // row id: only those rows need reading.
    m_skuespillerTable2.setFilterCandidates([this] {
        m_castFilter.setList(currentCastList());
        return std::optional<std::vector<qint64>>(m_castFilter.ids());
    });
    m_skuespillerTable2.setFiltered(true);
    connect(&m_videoSource, &framework::DataSource::dataChange, this,
            &TDataBox::VideoSourceDataChange);
}

// ---- Start-up ----

void TDataBox::DataBoxCreate() {
    m_opened = OpenAllTables();
    if (m_opened)
        opdatestatusbar();
}

bool TDataBox::OpenAllTables() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();

    if (!addAlias())
        return false;

    try {
        for (engine::Table* table :
             {&m_gruppeTable, &m_kategoriTable, &m_baandTable, &m_skuespillerTable2, &m_videoTable})
            table->open();
        m_catalogue = m_session.database(kAlias);
        m_actorsStored = &m_catalogue->table(schema::actors().fileName);
    } catch (const std::exception& error) {
        reportOpenFailure(error);
        framework::errorMessage(kOpenFailed);
        return false;
    }
    tellReadOnlyFiles(*m_catalogue);
    return true;
}

bool TDataBox::addAlias() {
    try {
        if (m_session.aliasExists(kAlias))
            return true;
    } catch (const std::exception& error) {
        reportOpenFailure(error);
        framework::errorMessage(kAliasFailed);
        return false;
    }
    // A first start with a home of its own: the empty catalogue comes before the alias,
    // so that a set-up that fails leaves nothing behind and the next start tries again.
    // A folder that is already there is the user's and is left as it is.
    if (m_home.setUpWhenMissing && !QFileInfo::exists(m_home.directory)) {
        try {
            catalogue::createEmpty(m_home.directory);
        } catch (const std::exception& error) {
            reportOpenFailure(error);
            QDir().rmdir(m_home.directory); // when empty, so that the next start tries again
            framework::errorMessage(kOpenFailed);
            return false;
        }
    }
    try {
        m_session.addAlias(kAlias, m_home.directory, QStringLiteral("PARADOX"));
    } catch (const std::exception& error) {
        reportOpenFailure(error);
        framework::errorMessage(kAliasFailed);
        return false;
    }
    return true;
}

void TDataBox::opdatestatusbar() {
    m_statusBarText =
        QStringLiteral("Antal poster: ") + QString::number(m_videoTable.recordCount());
    Q_EMIT statusBarTextChanged(m_statusBarText);
}

// ---- Tape time ----

bool TDataBox::baandnavnexist(const QString& name) {
    return m_baandTable.locate(QStringLiteral("BaandNavn"), name, true);
}

QString TDataBox::findstarttid() {
    std::vector<tapetime::Stretch> recordings;
    {
        OpenedFor opened(m_videoTableBaand);
        engine::Field& start = m_videoTableBaand.fieldByName(QStringLiteral("Starttid"));
        engine::Field& length = m_videoTableBaand.fieldByName(QStringLiteral("SpilletidSP"));
        for (m_videoTableBaand.first(); !m_videoTableBaand.eof(); m_videoTableBaand.next())
            recordings.push_back({tapetime::minuteValue(start.asFloat()),
                                  tapetime::minuteValue(start.asFloat() + length.asFloat())});
    }
    return engine::formatDateTime(engine::formatSettings().longTimeFormat,
                                  tapetime::minutesToDayFraction(tapetime::runEnd(recordings)));
}

bool TDataBox::Timecheckok() {
    using tapetime::Minutes;
    using tapetime::minuteValue;

    if (!baandnavnexist(m_videoTable.fieldByName(QStringLiteral("Baandnummer")).asString())) {
        framework::systemError(kTapeMissing);
        return false;
    }

    const Minutes sp =
        minuteValue(m_videoTable.fieldByName(QStringLiteral("SpilletidSP")).asFloat());
    const Minutes s = minuteValue(m_videoTable.fieldByName(QStringLiteral("Starttid")).asFloat());
    const Minutes e = Minutes(s + sp);
    // A new row has no id yet and skips nothing.
    const qint64 self = m_videoTable.fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    bool ok = true;
    {
        OpenedFor opened(m_videoTableBaand);
        engine::Field& id = m_videoTableBaand.fieldByName(QStringLiteral("VideoAutoInc"));
        engine::Field& start = m_videoTableBaand.fieldByName(QStringLiteral("Starttid"));
        engine::Field& length = m_videoTableBaand.fieldByName(QStringLiteral("SpilletidSP"));
        // Every other recording of the tape is visited, all of them.
        for (m_videoTableBaand.first(); !m_videoTableBaand.eof(); m_videoTableBaand.next()) {
            if (id.asInteger() == self)
                continue;
            const Minutes rs = minuteValue(start.asFloat());
            const Minutes re = minuteValue(start.asFloat() + length.asFloat());
            if (tapetime::overlaps(s, e, rs, re))
                ok = false;
        }
    }
    if (!ok) {
        framework::systemError(kOverlap);
        return false;
    }

    const qint64 tapeLength = m_baandTable.fieldByName(QStringLiteral("Baandlaengde")).asInteger();
    if (tapeLength < e)
        return framework::errorQuestion(overrunQuestion(int(e - tapeLength)));
    return true;
}

void TDataBox::deriveTapeTime() {
    const QVariant speed = m_videoTable.fieldByName(QStringLiteral("Hastighed")).value();
    const QVariant playing = m_videoTable.fieldByName(QStringLiteral("SpilletidSPLP")).value();
    m_videoTable.fieldByName(QStringLiteral("SpilletidSP"))
        .setValue(tapetime::tapeTime(playing, speed.toString()));
}

// ---- Event handlers ----

void TDataBox::VideoTableBeforePost(engine::Table&) {
    deriveTapeTime();
    if (!Timecheckok()) {
        Q_EMIT focusBaandnavnEdit();
        engine::abort();
    }
}

void TDataBox::VideoTableAfterPost(engine::Table&) {
    opdatestatusbar();
}

// A tape's name is its identity: no post makes two tapes of one name. A row whose name
// keeps its identity (twins stored before this rule) is not judged, so it stays editable.
void TDataBox::BaandTableBeforePost(engine::Table& tapes) {
    const QString name = tapes.fieldByName(QStringLiteral("BaandNavn")).asString();
    // An empty name is left to the required-value check, which names the field.
    if (name.isEmpty())
        return;
    const engine::Bookmark self = tapes.bookmark(); // 0 for a new row
    StoredTapes stored(m_session);
    if (self != 0 && engine::danishEqualsIgnoreCase(stored.nameOf(self), name))
        return;
    if (stored.nameTaken(name, self)) {
        framework::systemError(nameTaken(name));
        engine::abort();
    }
}

// Judges the row as stored: a pending edit of its name goes with the row and says nothing
// about the recordings that name it.
void TDataBox::BaandTableBeforeDelete(engine::Table& tapes) {
    const engine::Bookmark tape = tapes.bookmark();
    StoredTapes stored(m_session);
    const QString name = stored.nameOf(tape);
    // Gone meanwhile (the delete itself says so), or no name for a recording to use.
    if (name.isEmpty())
        return;
    // Ending a pending edit first (as the locate below would) posts a new recording too,
    // so that the bookmark can bring the window back to it. Its check moves the tapes
    // table to the recording's tape: put it back, or the delete would hit that tape.
    m_videoTable.checkBrowseMode();
    if (tapes.bookmark() != tape && tapes.bookmarkValid(tape))
        tapes.gotoBookmark(tape);
    const engine::Bookmark current = m_videoTable.bookmark();
    const bool found = m_videoTable.locate(QStringLiteral("Baandnummer"), name, true);
    if (m_videoTable.bookmarkValid(current))
        m_videoTable.gotoBookmark(current);
    // Twins stored before names had to differ: the recordings keep the one that stays.
    if (found && !stored.nameTaken(name, tape)) {
        framework::errorMessage(kTapeInUse);
        engine::abort();
    }
}

QString TDataBox::currentCastList() const {
    // Looked up once: the filter asks for every actor row.
    static const QString name = QStringLiteral("SkuespillereListe");
    if (!m_videoTable.isActive())
        return QString();
    if (m_castListField < 0)
        m_castListField = m_videoTable.fieldIndex(name);
    return m_videoTable.currentValue(m_castListField).toString();
}

bool TDataBox::SkuespillerTable2FilterRecord(const engine::RecordView& actor) {
    m_castFilter.setList(currentCastList());
    static const QString id = QStringLiteral("SkuespillerAutoInc");
    return m_castFilter.accepts(actor.asInteger(id));
}

quint64 TDataBox::actorTableGeneration() {
    return m_actorsStored ? m_actorsStored->generation : 0;
}

void TDataBox::VideoSourceDataChange(int) {
    if (!m_skuespillerTable2.isActive()) {
        m_castReadValid = false;
        return;
    }
    const QString list = currentCastList();
    const quint64 generation = actorTableGeneration();
    // Neither the cast nor the actors changed: reading again would give the same rows.
    if (m_castReadValid && m_actorsStored && list == m_castReadFor &&
        generation == m_castReadGeneration)
        return;
    framework::runGuarded([this] { m_skuespillerTable2.refresh(); });
    m_castReadFor = list;
    m_castReadGeneration = generation;
    m_castReadValid = true;
}
