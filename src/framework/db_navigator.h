#pragma once

#include "data_source.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QFocusEvent;
class QKeyEvent;
class QToolButton;

namespace framework {

// A row of flat buttons that move through a data source's dataset: first, prior, next,
// last, and cancel (throws away the pending changes of the current row). A move posts the
// pending changes first, through the dataset's rules; the data controls' typed text goes
// into the fields before that. The buttons take no focus, so the focused control keeps
// its text while a button is pressed. First and prior are disabled at the beginning of the
// dataset, next and last at its end, cancel unless the row is being edited.
//
// The navigator is one Tab stop. With the focus, the left and right arrow keys move among
// its enabled buttons (the focused one wears the focus frame) and Space presses it.
//
//   auto* navigator = new DBNavigator(this);
//   navigator->setObjectName("DBNavigator1");
//   navigator->setDataSource(videoSource);
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Cancel };
    static constexpr int kButtonCount = 5;

    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }

    // The buttons carry the objectNames "FirstButton", "PriorButton", "NextButton",
    // "LastButton" and "CancelButton".
    QToolButton* button(Button which) const { return m_buttons[std::size_t(which)]; }
    // The tooltip of a button; by default "Første post", "Forrige post", "Næste post",
    // "Sidste post" and "Annuller ændringer".
    void setHint(Button which, const QString& hint);
    QString hint(Button which) const;

    // What a click does; runs guarded. True when it went through.
    bool click(Button which);

    // The button that Space presses while the navigator has the focus.
    Button focusedButton() const { return m_focused; }

Q_SIGNALS:
    // After a button's action went through.
    void clicked(framework::DBNavigator::Button which);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateButtons();
    void scheduleUpdate();
    // Moves the focused button by step (+1 right, -1 left) to the next enabled one; stays
    // when there is none that way.
    void moveFocusedButton(int step);
    void showFocus();

    QPointer<DataSource> m_source;
    std::array<QToolButton*, kButtonCount> m_buttons{};
    bool m_updatePending = false;
    Button m_focused = First;
};

} // namespace framework
