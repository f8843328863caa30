#include "VaelgKartotekUnit.h"

#include "framework/choice_box.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QString driveOf(const QString& path) {
    QString best = QDir::rootPath();
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : volumes) {
        const QString root = volume.rootPath();
        if ((path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/')) &&
            root.size() > best.size())
            best = root;
    }
    return best;
}

} // namespace

TVaelgKartotekForm::TVaelgKartotekForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("VaelgKartotekForm"));
    setWindowTitle(QStringLiteral("Vælg Bibliotek"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(311, 373);

    auto* driveLabel = new QLabel(QStringLiteral("Drev"), this);
    driveLabel->setObjectName(QStringLiteral("Label1"));
    driveLabel->setGeometry(5, 10, 40, 21);
    DriveComboBox1 = new framework::ChoiceBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(45, 8, 261, 24);

    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(5, 40, 301, 265);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(5, 309, 301, 18);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(5, 331, 301, 4);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("BitBtn1"));
    OKButton->setGeometry(70, 341, 75, 25);
    OKButton->setDefault(true);
    AnnullerButton = new QPushButton(QStringLiteral("Annuller"), this);
    AnnullerButton->setObjectName(QStringLiteral("BitBtn2"));
    AnnullerButton->setGeometry(165, 341, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(AnnullerButton, &QPushButton::clicked, this, &QDialog::reject);

    fillDrives();
    connect(DriveComboBox1, &QComboBox::activated, this, &TVaelgKartotekForm::DriveComboBox1Change);
    connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
            &TVaelgKartotekForm::openItem);
    // Enter in the list opens the highlighted directory and goes no further: only OK confirms,
    // and it confirms what Label2 shows.
    DirectoryListBox1->installEventFilter(this);

    // The first time the list shows the process's working directory.
    setDirectory(QDir::currentPath());

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TVaelgKartotekForm::fillDrives() {
    DriveComboBox1->clear();
    QStringList roots;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : volumes) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    if (!roots.contains(QDir::rootPath()))
        roots.prepend(QDir::rootPath());
    roots.sort();
    for (const QString& root : roots)
        DriveComboBox1->addItem(root, root);
}

void TVaelgKartotekForm::setDirectory(const QString& path) {
    QDir dir(path);
    if (!dir.exists())
        return;
    m_directory = QDir::cleanPath(dir.absolutePath());
    const QString drive = driveOf(m_directory);
    m_currentOfDrive[drive] = m_directory;
    int driveIndex = DriveComboBox1->findData(drive);
    if (driveIndex < 0) {
        DriveComboBox1->addItem(drive, drive);
        driveIndex = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(driveIndex);

    // Like a directory list: the path from the root down to the open directory, then
    // its subdirectories, indented.
    DirectoryListBox1->clear();
    QStringList parts = m_directory.split(u'/', Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    auto add = [this](const QString& text, const QString& full, int depth, bool open) {
        auto* item =
            new QListWidgetItem(QString(depth * 2, u' ') + (open ? u'▾' : u'▸') + u' ' + text);
        item->setData(kPathRole, full);
        DirectoryListBox1->addItem(item);
        return item;
    };
    QListWidgetItem* current = add(QStringLiteral("/"), walked, 0, true);
    int depth = 1;
    for (const QString& part : parts) {
        walked = QDir::cleanPath(walked + u'/' + part);
        current = add(part, walked, depth++, true);
    }
    const QStringList children = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable,
                                               QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children)
        add(child, QDir::cleanPath(m_directory + u'/' + child), depth, false);
    DirectoryListBox1->setCurrentItem(current);
    Label2->setText(m_directory);
}

void TVaelgKartotekForm::DriveComboBox1Change() {
    const QString drive = DriveComboBox1->currentData().toString();
    setDirectory(m_currentOfDrive.value(drive, drive));
}

bool TVaelgKartotekForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DirectoryListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openItem(DirectoryListBox1->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TVaelgKartotekForm::openItem(QListWidgetItem* item) {
    if (item)
        setDirectory(item->data(kPathRole).toString());
}
