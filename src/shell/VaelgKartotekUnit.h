#pragma once

#include <QDialog>
#include <QMap>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The directory chooser: a drive box (here: the mounted volumes), a directory list in
// which a double click or Enter opens a directory, and the full path of the open directory
// under it, which OK confirms. Created once; it keeps its place between uses.
class TVaelgKartotekForm : public QDialog {
    Q_OBJECT
public:
    explicit TVaelgKartotekForm(QWidget* parent = nullptr);

    QComboBox* DriveComboBox1 = nullptr;
    QListWidget* DirectoryListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* AnnullerButton = nullptr;

    // The directory open in the list: the full path that Label2 shows.
    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);

    void DriveComboBox1Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillDrives();
    void openItem(QListWidgetItem* item);

    QString m_directory;
    QMap<QString, QString> m_currentOfDrive; // last directory shown on each drive
};
