#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;

namespace framework {

class ImageControl;
class PictureLoader;

// Shows picture files in a picture control inside a titled frame (a group box), as the actor
// pictures are shown: the picture fitted into the frame (see fitPictureInFrame), the control
// hidden until the picture is there. The file is decoded by a PictureLoader while the window
// goes on working.
//
// A window asks for a file on each data change; one user action makes several of them. The
// file is therefore taken up once the action is over, when the window shows its outcome: all
// the asks of one action come to one showing of the last file, and so to at most one message.
// A file that does not exist gives the box "Kan ikke finde billede." ("Fejl..."); a file that
// cannot be shown, the loader's message through the standard error display.
class PictureDisplay : public QObject {
    Q_OBJECT
public:
    PictureDisplay(ImageControl* image, QWidget* frame, QObject* parent);

    // Hides the picture; a file asked for and not yet shown is dropped.
    void clear();
    // Hides the picture and shows the file when the current action is over.
    void showFile(const QString& fileName);

    PictureLoader& loader() { return *m_loader; }

private:
    void takeUpFile();
    void pictureLoaded(const QImage& picture);

    QPointer<ImageControl> m_image;
    QPointer<QWidget> m_frame;
    PictureLoader* m_loader = nullptr;
    QTimer* m_afterAction = nullptr;
    QString m_fileName;
};

} // namespace framework
