#include "picture_display.h"

#include "error_display.h"
#include "image_control.h"
#include "message_box.h"
#include "picture_fit.h"
#include "picture_loader.h"

#include <QFileInfo>
#include <QTimer>

namespace framework {

PictureDisplay::PictureDisplay(ImageControl* image, QWidget* frame, QObject* parent)
    : QObject(parent), m_image(image), m_frame(frame), m_loader(new PictureLoader(this)),
      m_afterAction(new QTimer(this)) {
    m_afterAction->setSingleShot(true);
    m_afterAction->setInterval(0);
    connect(m_afterAction, &QTimer::timeout, this, &PictureDisplay::takeUpFile);
    connect(m_loader, &PictureLoader::loaded, this,
            [this](const QString&, const QImage& picture) { pictureLoaded(picture); });
    connect(m_loader, &PictureLoader::failed, this,
            [](const QString&, const QString& message) { showError(message); });
}

void PictureDisplay::clear() {
    m_afterAction->stop();
    m_loader->cancel();
    m_fileName.clear();
    if (m_image)
        m_image->hide();
}

void PictureDisplay::showFile(const QString& fileName) {
    clear();
    m_fileName = fileName;
    m_afterAction->start();
}

void PictureDisplay::takeUpFile() {
    if (!QFileInfo(m_fileName).isFile()) {
        m_fileName.clear();
        systemError(QStringLiteral("Kan ikke finde billede."));
        return;
    }
    m_loader->request(m_fileName);
}

void PictureDisplay::pictureLoaded(const QImage& picture) {
    m_fileName.clear();
    if (!m_image || !m_frame)
        return;
    m_image->setPicture(picture);
    m_image->setGeometry(fitPictureInFrame(m_frame->size(), picture.size()));
    m_image->show();
}

} // namespace framework
