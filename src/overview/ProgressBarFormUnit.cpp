#include "ProgressBarFormUnit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {

const QString kInitialText = QStringLiteral("Beregner noget");
constexpr int kBarLeft = 42;
constexpr int kBarWidth = 301;
constexpr int kScaleTop = 92;

QLabel* scaleLabel(QWidget* parent, const char* name, const char* text, int left,
                   Qt::Alignment alignment) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->adjustSize();
    int x = left;
    if (alignment & Qt::AlignHCenter)
        x -= label->width() / 2;
    else if (alignment & Qt::AlignRight)
        x -= label->width();
    label->move(x, kScaleTop);
    return label;
}

} // namespace

TProgressBarForm::TProgressBarForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ProgressBarForm"));
    // A title bar without system menu or buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(kInitialText);
    setFixedSize(385, 173);
    setModal(false);

    Label4 = new QLabel(kInitialText, this);
    Label4->setObjectName(QStringLiteral("Label4"));
    QFont big(QStringLiteral("Times New Roman"), 20);
    big.setBold(true);
    Label4->setFont(big);
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label4->setGeometry(kBarLeft, 24, kBarWidth, QFontMetrics(big).height() + 4);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(kBarLeft, 108, kBarWidth, 45);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Label1 = scaleLabel(this, "Label1", "0%", kBarLeft, Qt::AlignLeft);
    Label2 = scaleLabel(this, "Label2", "50%", kBarLeft + kBarWidth / 2, Qt::AlignHCenter);
    Label3 = scaleLabel(this, "Label3", "100%", kBarLeft + kBarWidth, Qt::AlignRight);
}

void TProgressBarForm::showEvent(QShowEvent* event) {
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void TProgressBarForm::showAndPaint() {
    show();
    raise();
    // The window must be on the screen before it can be painted; nothing the user does is
    // handled meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    paintNow();
}

void TProgressBarForm::paintNow() {
    if (isVisible())
        repaint();
}
