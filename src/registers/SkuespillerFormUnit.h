#pragma once

#include "engine/table.h"
#include "framework/data_source.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataBox;
class TFuldBilledeForm;

namespace framework {
class DBGrid;
class DBMemo;
class ImageControl;
class PictureDisplay;
} // namespace framework

// The actor register "Skuespillere": looking actors up by the start of their names,
// creating, editing and deleting them, their pictures, and picking one for a recording's
// cast. Works on its own dataset of the actors table, independent of the data module's.
//
// Picking (the cast page): make OverforBtn visible, exec(), hide it again. Result 6 means
// an actor was picked: pickedActor(). "Luk" gives 1, the title bar's close box 2. A pending
// row that cannot be saved keeps the window open, whichever way it is closed.
class TSkuespillerForm : public QDialog {
    Q_OBJECT
public:
    // Asks for a picture file, starting in the given directory (empty: the dialog's own
    // default): the full path, or nothing when cancelled.
    using PictureFileChooser = std::function<std::optional<QString>(const QString& directory)>;

    TSkuespillerForm(TDataBox& dataBox, TFuldBilledeForm& fullPicture, QWidget* parent = nullptr);
    ~TSkuespillerForm() override;

    engine::Table& SkuespillerTable() { return m_skuespillerTable; }
    // The SkuespillerAutoInc of the actor picked by the last closing with result 6; nothing
    // when the register showed nobody.
    std::optional<qint64> pickedActor() const { return m_pickedActor; }
    framework::DataSource& SkuespillerSource() { return m_skuespillerSource; }

    QLabel* Label1 = nullptr;
    QLineEdit* EditFornavn = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EditEfternavn = nullptr;
    QPushButton* Opretspillerbtn = nullptr;
    framework::DBGrid* DBGrid1 = nullptr;
    QPushButton* BitBtn2 = nullptr;    // "Luk", result 1
    QPushButton* OverforBtn = nullptr; // "Tilføj", result 6, shown only while picking
    // The picture.
    QGroupBox* BilledeBox = nullptr;
    framework::ImageControl* Image1 = nullptr;
    framework::DBMemo* DBMemo1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Vælg billede"
    QPushButton* BitBtn3 = nullptr; // "Fjern billede"
    QPushButton* BitBtn4 = nullptr; // "Scan"

    // The picture path the picture display last handled (resolved), kept for the run.
    QString SidsteBilledepath;

    // Replaces the open-picture dialog (tests answer it directly).
    void setPictureFileChooser(PictureFileChooser chooser) { m_choosePicture = std::move(chooser); }

    // Event handlers.
    void FormShow();
    void EditFornavnChange();
    void DBGrid1Enter();
    void DBGrid1DblClick();
    void OpretspillerbtnClick();
    void SkuespillerTableAfterPost(engine::Table& table);
    void SkuespillerTableFodtdatoSetText(engine::Field& field, const QString& text);
    bool FormCloseQuery();
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void SkuespillerSourceDataChange();
    void Image1Click();

    // The files of the picture directory that "Scan" offers for an actor, in the order the
    // directory lists them (empty directory: the root directory).
    static QStringList scanCandidates(const QString& directory, const QString& fornavn,
                                      const QString& efternavn);

public Q_SLOTS:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override { done(2); } // the title bar's close box and Escape

private:
    void buildWindow();
    void openSkuespillerTable();
    QString pictureDirectory() const;
    void scanForActor();
    qint64 fillIdentityOfNewestActor(); // the newest actor's number
    bool hasCurrentActor() const;

    TDataBox& m_dataBox;
    TFuldBilledeForm& m_fullPicture;
    engine::Table m_skuespillerTable;
    framework::DataSource m_skuespillerSource;
    PictureFileChooser m_choosePicture;
    bool m_centred = false;
    bool m_postingInsert = false;
    qint64 m_newestActor = 0; // after a new row was posted
    std::optional<qint64> m_closingActor;
    std::optional<qint64> m_pickedActor;
    // Shows the actor's picture files in Image1.
    framework::PictureDisplay* m_pictureDisplay = nullptr;
};
