#pragma once

#include <QImage>
#include <QWidget>

namespace framework {

// A picture control: shows one picture, stretched to the control's own size when stretching
// is on (otherwise at its own size from the top left), and reports a click with the left
// button. A stretched picture is scaled once per size, not at every paint: a large photo
// shown small would otherwise be scaled down again whenever the window repaints.
class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    void clear() { setPicture(QImage()); }

    bool stretch() const { return m_stretch; }
    void setStretch(bool on);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QImage m_scaled; // m_picture at the control's size, while stretching
    bool m_stretch = false;
    bool m_pressed = false;
};

} // namespace framework
