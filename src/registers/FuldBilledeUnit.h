#pragma once

#include <QDialog>
#include <QImage>

namespace framework {
class ImageControl;
}

// The full-size picture window "Vis billede": shows an actor's picture at its own size,
// for the actor register and the cast page alike. Created once; every call replaces the
// picture and the size.
class TFuldBilledeForm : public QDialog {
    Q_OBJECT
public:
    explicit TFuldBilledeForm(QWidget* parent = nullptr);

    framework::ImageControl* Image1 = nullptr; // fills the client area, stretching its picture

    // Shows the picture modally: the window's outer size is the picture's size (so the
    // picture is stretched into a slightly smaller client area), centred on the screen.
    // Returns when the user closes the window.
    void ShowFullPicture(const QImage& picture);

    // The first part of ShowFullPicture, without showing: the picture, the size, the place.
    void preparePicture(const QImage& picture);
    // The outer size the window takes for a picture: the picture's size, made smaller
    // (keeping its shape) when it would not fit on the available screen.
    QSize outerSizeFor(const QSize& picture) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyOuterSize();

    QSize m_outerSize;
};
