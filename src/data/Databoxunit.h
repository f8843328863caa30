#pragma once

#include "cast_filter.h"
#include "catalogue_home.h"
#include "engine/table.h"
#include "framework/data_source.h"

#include <QObject>
#include <QString>
#include <exception>
#include <memory>

namespace engine {
class Database;
class Session;
struct StoredTable;
} // namespace engine

// The program file's directory with its trailing separator; set once at start-up.
// Picture paths that are not absolute are relative to it.
extern QString ProgramDir;
// The directory of the running program file, with its trailing separator.
QString programFileDirectory();

// Writes why the catalogue could not be opened to standard error: the engine's own text,
// which the user is spared (the message box says it in Danish).
void reportOpenFailure(const std::exception& error);

// The data module: owns the catalogue's shared datasets for the program's whole life and
// runs the recording rules on their events, whichever window causes them.
class TDataBox : public QObject {
    Q_OBJECT
public:
    // Makes sure the alias "Spolebox" exists (programDir + "DATA" when it must be added)
    // and opens the tables (DataBoxCreate). When that fails the user has been told and
    // opened() is false: the creator ends the program.
    TDataBox(engine::Session& session, const QString& programDir, QObject* parent = nullptr);
    // The same, adding a missing alias at home.directory (set up first when asked).
    TDataBox(engine::Session& session, const QString& programDir, const CatalogueHome& home,
             QObject* parent = nullptr);
    ~TDataBox() override;

    bool opened() const { return m_opened; }
    const QString& programDir() const { return m_programDir; }
    engine::Session& session() const { return m_session; }

    // The datasets.
    engine::Table& VideoTable() { return m_videoTable; }
    engine::Table& VideoTableBaand() { return m_videoTableBaand; }
    engine::Table& BaandTable() { return m_baandTable; }
    engine::Table& KategoriTable() { return m_kategoriTable; }
    engine::Table& GruppeTable() { return m_gruppeTable; }
    engine::Table& SkuespillerTable2() { return m_skuespillerTable2; }
    engine::Table& SystemTable() { return m_systemTable; }

    // The data sources the windows bind to.
    framework::DataSource& VideoSource() { return m_videoSource; }
    framework::DataSource& BaandSource() { return m_baandSource; }
    framework::DataSource& KategoriSource() { return m_kategoriSource; }
    framework::DataSource& GruppeSource() { return m_gruppeSource; }
    framework::DataSource& SystemSource() { return m_systemSource; }

    // Start-up.
    void DataBoxCreate();
    bool OpenAllTables();
    // Writes "Antal poster: N" (all recordings) to the status bar.
    void opdatestatusbar();
    const QString& statusBarText() const { return m_statusBarText; }

    // Tape time.
    // Puts BaandTable on the tape of that name, ignoring letter case; false (and BaandTable
    // unmoved) when there is none.
    bool baandnavnexist(const QString& name);
    // The first free start time on BaandTable's tape after the unbroken run of recordings
    // from its start, as time text in the long time format.
    QString findstarttid();
    // Whether the current recording of VideoTable may be posted: its tape exists, it
    // overlaps no other recording of the tape, and an overrun is accepted by the user.
    bool Timecheckok();

    // Event handlers.
    void VideoTableBeforePost(engine::Table& table);
    void VideoTableAfterPost(engine::Table& table);
    void BaandTableBeforePost(engine::Table& table);
    void BaandTableBeforeDelete(engine::Table& table);
    bool SkuespillerTable2FilterRecord(const engine::RecordView& actor);
    void VideoSourceDataChange(int fieldIndex);

Q_SIGNALS:
    // The text for the first panel of the main window's status bar.
    void statusBarTextChanged(const QString& text);
    // A post was refused: the main window puts the focus into BaandnavnEdit.
    void focusBaandnavnEdit();

private:
    void declareDatasets();
    void bindEvents();
    void deriveTapeTime();
    QString currentCastList() const;
    quint64 actorTableGeneration();

    bool addAlias();

    engine::Session& m_session;
    QString m_programDir;
    CatalogueHome m_home;
    bool m_opened = false;
    QString m_statusBarText;

    // Masters before their details: a detail leaves its master when destroyed.
    engine::Table m_gruppeTable;
    engine::Table m_kategoriTable;
    engine::Table m_baandTable;
    engine::Table m_videoTable;
    engine::Table m_videoTableBaand;
    engine::Table m_skuespillerTable2;
    engine::Table m_systemTable;

    framework::DataSource m_videoSource;
    framework::DataSource m_baandSource;
    framework::DataSource m_kategoriSource;
    framework::DataSource m_gruppeSource;
    framework::DataSource m_systemSource;

    // The cast filter and what SkuespillerTable2 last read through it: a change notice that
    // changes neither the cast list nor the actors would read the same rows again.
    CastFilter m_castFilter;
    mutable int m_castListField = -1; // VideoTable's SkuespillereListe, once it is open
    QString m_castReadFor;
    quint64 m_castReadGeneration = 0;
    bool m_castReadValid = false;
    std::shared_ptr<engine::Database> m_catalogue;
    engine::StoredTable* m_actorsStored = nullptr;
};
