#include "UdskrivUnit.h"

#include "framework/choice_box.h"
#include "framework/error_display.h"
#include "framework/printer_service.h"
#include "framework/up_down.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kStripTop = 264; // the print strip: the bottom 78 pixels

// A small printer for the "Udskriv" button, drawn rather than shipped as a file.
QIcon printerIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 8, 6); // paper going in
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(1, 6, 14, 6); // body
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 8, 5); // paper coming out
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(13, 8); // power light
    return QIcon(pixmap);
}

// The line along the top of the print strip, sunken like a classic bevel.
class StripBevel : public QFrame {
public:
    explicit StripBevel(QWidget* parent) : QFrame(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width() - 1, 1);
    }
};

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(x, y, 75, 25);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int x, int y) {
    auto* l = named(new QLabel(caption, parent), name);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

TUdskrivForm::TUdskrivForm(framework::PrinterService& printers, QWidget* parent)
    : QDialog(parent), m_printers(printers) {
    setObjectName(QStringLiteral("UdskrivForm"));
    setWindowTitle(QStringLiteral("Udskriv"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(497, 342);
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    Bevel1 = named(new StripBevel(this), "Bevel1");
    Bevel1->setGeometry(0, kStripTop, 497, 342 - kStripTop);

    UdskrivBtn = button(this, "UdskrivBtn", QStringLiteral("Udskriv"), 12, 276);
    UdskrivBtn->setIcon(printerIcon());
    VisBtn = button(this, "VisBtn", QStringLiteral("Vis udskrift"), 100, 276);
    SetupBtn = button(this, "SetupBtn", QStringLiteral("Printer Setup"), 12, 308);
    SetupBtn->setEnabled(false);
    AnnullerBtn = button(this, "AnnullerBtn", QStringLiteral("Annuller"), 100, 308);

    Printerlabel = label(this, "Printerlabel", QStringLiteral("Udskriv på printer"), 200, 276);
    ComboBox1 = named(new framework::ChoiceBox(this), "ComboBox1");
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(200, 296, 189, 21);

    KopierLabel = label(this, "KopierLabel", QStringLiteral("Antal kopier"), 412, 276);
    Antalkopier = named(new QLineEdit(QStringLiteral("1"), this), "Antalkopier");
    Antalkopier->setReadOnly(true);
    Antalkopier->setGeometry(412, 296, 33, 21);
    UpDown1 = named(new framework::UpDown(this), "UpDown1");
    UpDown1->setRange(1, 100);
    UpDown1->setPosition(1);
    UpDown1->setAssociate(Antalkopier);
    Printerlabel->setBuddy(ComboBox1);

    connect(UdskrivBtn, &QPushButton::clicked, this,
            framework::guardedSlot([this] { UdskrivBtnClick(); }));
    connect(VisBtn, &QPushButton::clicked, this, framework::guardedSlot([this] { VisBtnClick(); }));
    connect(SetupBtn, &QPushButton::clicked, this, [this] { SetupBtnClick(); });
    connect(AnnullerBtn, &QPushButton::clicked, this, [this] { AnnullerBtnClick(); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(Antalkopier, &QLineEdit::textChanged, this, [this] { AntalkopierChange(); });
}

void TUdskrivForm::showEvent(QShowEvent* event) {
    if (!m_centred) {
        m_centred = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
    framework::guarded([this] { FormShow(); });
}

void TUdskrivForm::FormShow() {
    ComboBox1->clear();
    const QStringList names = m_printers.printers();
    for (const QString& name : names) {
        // A platform may list a printer as "name on port": only the name is offered.
        const int on = int(name.indexOf(QStringLiteral(" on ")));
        ComboBox1->addItem(on >= 0 ? name.left(on) : name);
    }
    ComboBox1->setCurrentIndex(m_printers.printerIndex());
    // Nothing to print on: only the preview is left.
    UdskrivBtn->setEnabled(ComboBox1->count() > 0);
    AntalkopierChange();
    ComboBox1Change();
}

void TUdskrivForm::ComboBox1Change() {
    m_printers.setPrinterIndex(ComboBox1->currentIndex());
    const bool copies = m_printers.canCopy();
    Antalkopier->setEnabled(copies);
    UpDown1->setEnabled(copies);
    // The classic look: an edit field's window colour when it can be used, the button
    // face colour when not.
    QPalette palette = Antalkopier->palette();
    palette.setColor(QPalette::Base,
                     QWidget::palette().color(copies ? QPalette::Base : QPalette::Button));
    Antalkopier->setPalette(palette);
}

void TUdskrivForm::AntalkopierChange() {
    m_printers.setCopies(Antalkopier->text().toInt());
}

void TUdskrivForm::UdskrivBtnClick() {
    reject();
}

void TUdskrivForm::VisBtnClick() {}

void TUdskrivForm::AnnullerBtnClick() {
    reject();
}

void TUdskrivForm::SetupBtnClick() {}
