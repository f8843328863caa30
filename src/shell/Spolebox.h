#pragma once

#include "JustOne.h"
#include "data/catalogue_home.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace engine {
class Session;
}
namespace framework {
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class DBMemo;
class DBNavigator;
class DBRadioGroup;
class DBText;
class DataSource;
class ImageControl;
class PictureDisplay;
} // namespace framework

class TAboutForm;
class TBaandForm;
class TFuldBilledeForm;
class TGenerelSearchForm;
class TOpsaetningForm;
class TPrintOversigtForm;
class TPrintOversigtRepForm;
class TProgressBarForm;
class TSkuespillerForm;
class TSkuespillerSearchForm;
class TVaelgKartotekForm;
class TBaandtypeForm;
class TDataBox;
class TGrupperForm;
class TKategoriForm;
class TLights;

// How a main window is started: tests shorten the splash wait and use their own
// catalogue, engine configuration and single-instance meeting point.
struct MainFormOptions {
    engine::Session* session = nullptr;
    QString programDir;
    // Where a missing alias is added; empty: the folder "DATA" in programDir.
    CatalogueHome catalogueHome;
    int splashWaitMs = 3000;
    QString instanceServerName = TJustOne::defaultServerName();
    TJustOne::EndProcess endProcess;
};

// The main window: the editor of the current recording, the search, the cast page, the
// record navigator and the menus from which every other window is opened.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(const MainFormOptions& options, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The catalogue; null until it has been opened.
    TDataBox* dataBox() const { return m_dataBox.get(); }
    bool catalogueOpened() const { return m_opened; }

    // Start-up and the program's life.
    void FormCreate();
    void CreateOpenAll();
    void MyOnidle();
    // The session ends the program (SIGTERM, SIGHUP, SIGINT): it closes as the user's close
    // does, unattended. Open dialogs close first, the messages go to standard error and
    // questions get their cautious answer; an edit the rules refuse is dropped, not kept
    // half-written. The program then ends with exit code 0.
    void endBySignal();

    // Recording editor.
    void SpeedButton2Click(); // new recording
    void SpeedButton3Click(); // delete with confirmation
    void BaandnavnEditExit();

    // Menu.
    void Skuespillere1Click();
    void Kategori1Click();
    void Grupper1Click();
    void Bnd1Click();
    void OmSpolebox1Click();
    void Visfritidpbnd1Click();
    void Oversigt1Click();
    void Noget1Click();
    // Saves the chapters of the current recording's tape for digitising it.
    void Kapitlertildigitalisering1Click();

    // Search box.
    void SogetextEnter();
    // A key typed into the search box: true when it was Enter, which is swallowed and
    // starts the search.
    bool SogetextKeyPress(const QKeyEvent& key);
    void RadioBTitelClick();
    void startsogning();

    // Cast page.
    void BitBtn1Click(); // add an actor picked in the actor register
    void BitBtn2Click(); // remove the selected actor
    void SkuespillerSourceDataChange();
    void Image1Click();

    TJustOne* JustOne1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    framework::DBText* DBText1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* HovedSide = nullptr;
    QWidget* SkuespillereSide = nullptr;
    QWidget* NoterSide = nullptr;
    QWidget* MultimedieSide = nullptr;

    framework::DBEdit* Titel1Edit = nullptr;
    framework::DBEdit* Titel2Edit = nullptr;
    framework::DBEdit* InstruktorEdit = nullptr;
    framework::DBLookupComboBox* KategoriKombo = nullptr;
    framework::DBEdit* LandEdit = nullptr;
    framework::DBEdit* PaarEdit = nullptr;
    framework::DBEdit* BaandnavnEdit = nullptr;
    framework::DBEdit* SpilletidEdit = nullptr;
    framework::DBEdit* IndexnrEdit = nullptr;
    framework::DBRadioGroup* Lyd = nullptr;
    framework::DBRadioGroup* Hastighed = nullptr;
    framework::DBEdit* StarttidEdit = nullptr;
    framework::DBLookupComboBox* DBLookupComboBox1 = nullptr;
    framework::DBEdit* OptagetdatoEdit = nullptr;
    framework::DBMemo* NoterMemo = nullptr;

    // Cast page: the cast of the current recording through the main window's own source on
    // the data module's SkuespillerTable2.
    framework::DataSource* SkuespillerSource2 = nullptr;
    framework::DBGrid* DBGrid1 = nullptr;
    framework::DBText* DBText3 = nullptr; // Fodtdato
    framework::DBText* DBText4 = nullptr; // Doddato
    QGroupBox* BilledeBox = nullptr;
    framework::ImageControl* Image1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "&Tilføj skuespiller"
    QPushButton* BitBtn2 = nullptr; // "&Fjern skuespiller"
    // The picture path the cast page last handled (resolved), kept for the whole run.
    QString SidsteBilledepath;

    framework::DBNavigator* DBNavigator1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    TLights* PaintBox1 = nullptr;

    QGroupBox* SogningGroup = nullptr;
    QLineEdit* Sogetext = nullptr;
    QRadioButton* RadioBTitel = nullptr;
    QRadioButton* RadioBInstruktor = nullptr;
    QRadioButton* RadioBSkuespiller = nullptr;
    QRadioButton* RadioBBaandNavn = nullptr;

    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;

    QAction* Skuespillere1 = nullptr;
    QAction* Kategori1 = nullptr;
    QAction* Grupper1 = nullptr;
    QAction* Bnd1 = nullptr;
    QAction* OmSpolebox1 = nullptr;
    QAction* Visfritidpbnd1 = nullptr;
    QAction* Oversigt1 = nullptr;
    QAction* Noget1 = nullptr;
    QAction* Kapitlertildigitalisering1 = nullptr;

    // Created with the main window and kept for the program's life.
    QPointer<TVaelgKartotekForm> VaelgKartotekForm;
    QPointer<TFuldBilledeForm> FuldBilledeForm;

    // The windows created once when the catalogue opens.
    QPointer<TSkuespillerForm> SkuespillerForm;
    QPointer<TKategoriForm> KategoriForm;
    QPointer<TGrupperForm> GrupperForm;
    QPointer<TBaandtypeForm> BaandtypeForm;
    QPointer<TBaandForm> BaandForm;
    QPointer<TSkuespillerSearchForm> SkuespillerSearchForm;
    QPointer<TGenerelSearchForm> GenerelSearchForm;
    QPointer<TProgressBarForm> ProgressBarForm;
    QPointer<TOpsaetningForm> OpsaetningForm;
    QPointer<TPrintOversigtForm> PrintOversigtForm;
    QPointer<TPrintOversigtRepForm> PrintOversigtRepForm;

Q_SIGNALS:
    // Opening the catalogue failed; the user has been told and the program must end.
    void catalogueFailed();
    // The catalogue has been opened and every window made.
    void catalogueReady();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildMenu();
    void buildMainPage();
    void buildCastPage();
    void buildNotesPage();
    void buildMultimediaPage();
    void buildButtonRow(QWidget* central);
    void buildSearchGroup(QWidget* central);
    // The search result windows; a hit chosen in one becomes the current recording.
    void createSearchWindows();
    void buildStatusBar();
    void setTabOrder();
    void bindControls();
    void createWindows();
    bool FormCloseQuery();
    void setStatusText(const QString& text);
    // Writes a new cast list into the current recording and posts it.
    void storeCastList(const QString& list);

    MainFormOptions m_options;
    std::unique_ptr<TDataBox> m_dataBox;
    bool m_opened = false;
    bool m_opening = false;
    bool m_closing = false;
    // Shows the cast page's picture files in Image1.
    framework::PictureDisplay* m_pictureDisplay = nullptr;
};
