#include "AboutFormUnit.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

namespace {

// A video cassette, drawn rather than shipped as a file.
QPixmap cassettePicture() {
    QPixmap pixmap(300, 300);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.setBrush(QColor(45, 45, 52));
    p.drawRoundedRect(QRectF(10, 70, 280, 160), 12, 12);
    p.setBrush(QColor(235, 225, 190));
    p.drawRect(QRectF(40, 85, 220, 50));
    p.setPen(QColor(120, 40, 30));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(40, 85, 220, 50), Qt::AlignCenter, QStringLiteral("Spolebox"));
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(QColor(80, 80, 90));
    p.drawRect(QRectF(70, 150, 160, 60));
    for (double cx : {105.0, 195.0}) {
        p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QPointF(cx, 180), 24, 24);
        p.setBrush(QColor(60, 40, 30));
        p.drawEllipse(QPointF(cx, 180), cx < 150 ? 20 : 12, cx < 150 ? 20 : 12);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx, 180), 6, 6);
    }
    return pixmap;
}

QTextEdit* infoText(QWidget* parent, const QString& html, const QRect& geometry) {
    auto* text = new QTextEdit(parent);
    text->setReadOnly(true);
    text->setFrameShape(QFrame::NoFrame);
    text->setHtml(html);
    text->setGeometry(geometry);
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
    palette.setColor(QPalette::Text, parent->palette().color(QPalette::WindowText));
    text->setPalette(palette);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return text;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("Om Spolebox"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(591, 340);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, 591, 340);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(10);
    panel->setAutoFillBackground(true);
    // A dark panel, so that the yellow "Luk" and the light text stand out.
    QPalette dark = panel->palette();
    dark.setColor(QPalette::Window, QColor(31, 42, 68));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 240));
    dark.setColor(QPalette::Text, QColor(235, 235, 240));
    dark.setColor(QPalette::Light, QColor(70, 84, 120));
    dark.setColor(QPalette::Dark, QColor(12, 18, 32));
    panel->setPalette(dark);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(20, 20, 300, 300);
    Image1->setPixmap(cassettePicture());

    LukButton = new QPushButton(QStringLiteral("Luk"), panel);
    LukButton->setObjectName(QStringLiteral("LukButton"));
    LukButton->setGeometry(132, 280, 70, 25);
    LukButton->setFlat(true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setBold(true);
    LukButton->setFont(font);
    LukButton->setStyleSheet(QStringLiteral("color: yellow;"));
    LukButton->setVisible(false);
    connect(LukButton, &QPushButton::clicked, this, &TAboutForm::LukButtonClick);

    infoText(panel,
             QStringLiteral("<h2>Spolebox</h2><p>Kartotek over optagne videobånd.</p>"
                            "<p>Hold styr på båndene, deres optagelser og den fri tid på "
                            "hvert bånd.</p>"),
             QRect(335, 24, 236, 150))
        ->setObjectName(QStringLiteral("Memo1"));
    infoText(panel,
             QStringLiteral("<p>Søg på titel, instruktør, skuespiller eller bånd, se fri tid "
                            "på alle bånd (F10) og udskriv en oversigt.</p>"
                            "<p>Version 1.0</p>"),
             QRect(335, 180, 236, 130))
        ->setObjectName(QStringLiteral("Memo2"));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutForm::LukButtonClick() {
    setResult(QDialog::Accepted);
    done(QDialog::Accepted);
}

void TAboutForm::closeEvent(QCloseEvent* event) {
    // Only "Luk" closes the box: neither Escape nor the window manager does.
    if (result() == QDialog::Accepted)
        event->accept();
    else
        event->ignore();
}

void TAboutForm::reject() {}

void showAboutBoxModal(QWidget* parent) {
    auto* about = new TAboutForm(parent);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->LukButton->setVisible(true);
    about->LukButton->setEnabled(true);
    about->exec();
}
