#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QColorDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class TDataBox;

namespace engine {
class Table;
}
namespace framework {
class DBText;
}

// The settings window "Opsætning": the four colours of the tape overview and the three
// directories, all in the one row of System.db. Every change is posted at once; the first
// change creates the row when the table has none.
class TOpsaetningForm : public QDialog {
    Q_OBJECT
public:
    // Asks the user for a directory: the full path, or nothing when cancelled. The main
    // window passes its directory chooser (TVaelgKartotekForm).
    using DirectoryChooser = std::function<std::optional<QString>()>;
    // Asks the user for a colour, starting from the given one: the colour, or nothing when
    // cancelled.
    using ColorChooser = std::function<std::optional<QColor>(const QColor& initial)>;

    TOpsaetningForm(TDataBox& dataBox, DirectoryChooser chooseDirectory, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Panel1 = nullptr;
    QLabel* Panel2 = nullptr;
    QLabel* Panel3 = nullptr;
    QLabel* Panel4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    framework::DBText* DBText1 = nullptr;
    framework::DBText* DBText2 = nullptr;
    framework::DBText* DBText3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

    // Replaces the colour dialog (tests answer it directly).
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }

    void FormShow();
    // Paints the four panels from the settings row (black while there is none).
    void setpanelcolor();
    void Panel1Click();
    void Panel2Click();
    void Panel3Click();
    void Panel4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

    // The stored colour values: red in the lowest byte, green in the next, blue in the third.
    static qint64 colorValue(const QColor& color);
    static QColor colorOfValue(qint64 value);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override {} // no close box: only OK closes the window

private:
    engine::Table& systemTable() const;
    void changeColor(const QString& fieldName);
    void changeDirectory(const QString& fieldName);
    void storeChoice(const std::function<void()>& change);
    std::optional<QColor> runColorDialog(const QColor& initial);

    TDataBox& m_dataBox;
    DirectoryChooser m_chooseDirectory;
    ColorChooser m_chooseColor;
    QColor m_lastColor = Qt::black; // the colour dialog opens with the colour last chosen
    bool m_centred = false;
};
