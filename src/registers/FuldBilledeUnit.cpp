#include "FuldBilledeUnit.h"

#include "framework/image_control.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

QRect availableScreen(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TFuldBilledeForm::TFuldBilledeForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FuldBilledeForm"));
    setWindowTitle(QStringLiteral("Vis billede"));
    // Resizable, with the system menu (and its close box) only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    Image1 = new framework::ImageControl(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setStretch(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
}

QSize TFuldBilledeForm::outerSizeFor(const QSize& picture) const {
    const QSize available = availableScreen(this).size();
    if (picture.width() <= 0 || picture.height() <= 0)
        return QSize(1, 1);
    if (picture.width() <= available.width() && picture.height() <= available.height())
        return picture;
    const double factor = std::min(double(available.width()) / picture.width(),
                                   double(available.height()) / picture.height());
    return QSize(std::max(1, int(std::floor(picture.width() * factor))),
                 std::max(1, int(std::floor(picture.height() * factor))));
}

void TFuldBilledeForm::preparePicture(const QImage& picture) {
    Image1->setPicture(picture);
    m_outerSize = outerSizeFor(picture.size());
    applyOuterSize();
}

// The border and title bar are known only once the window has a frame: the client area
// is the outer size less them, and the window is centred by its outer size.
void TFuldBilledeForm::applyOuterSize() {
    if (!m_outerSize.isValid())
        return;
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    setMinimumSize(0, 0);
    resize(std::max(1, m_outerSize.width() - frame.width()),
           std::max(1, m_outerSize.height() - frame.height()));
    const QRect screen = availableScreen(this);
    move(screen.x() + (screen.width() - m_outerSize.width()) / 2,
         screen.y() + (screen.height() - m_outerSize.height()) / 2);
}

void TFuldBilledeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    applyOuterSize();
}

void TFuldBilledeForm::ShowFullPicture(const QImage& picture) {
    preparePicture(picture);
    exec();
}
