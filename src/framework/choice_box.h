#pragma once

#include <QComboBox>

namespace framework {

// A drop-down choice that the mouse wheel turns only while the box has the focus: over an
// unfocused box the wheel scrolls the window (or does nothing) instead of changing the
// choice unseen. Clicking and the keys choose as in any combo box.
class ChoiceBox : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace framework
