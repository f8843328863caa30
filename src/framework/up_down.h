#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace framework {

// Up-down arrow buttons bound to an edit field: they step a position between a minimum
// and a maximum (no wrap-around) and write it into the field as text. The Up and Down
// keys in the field step it too, so a read-only field can still be changed from the
// keyboard.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    // The field the position is written to; the up-down takes the field's height and sits
    // at its right edge, as a classic up-down control does.
    void setAssociate(QLineEdit* edit);
    QLineEdit* associate() const { return m_edit; }

    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int position() const { return m_position; }
    void setPosition(int position); // clamped to the range

    void stepUp() { setPosition(m_position + 1); }
    void stepDown() { setPosition(m_position - 1); }

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void positionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateButtons();

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QPointer<QLineEdit> m_edit;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

} // namespace framework
