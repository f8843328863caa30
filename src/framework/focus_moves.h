#pragma once

class QFocusEvent;
class QWidget;

namespace framework {

// Whether a focus event on a control is a move of the focus between two controls of one
// window: the only kind that runs the control's exit and enter handling. The window losing
// or regaining activation (another window, a dialog), a popup opening or closing (a menu, a
// context menu, a drop-down list) and the menu bar taking the keyboard (Alt, Alt+letter) do
// not move the focus away from the control: it stays its window's focused control.
//
// When the menu bar hands the keyboard on to another control of the window (the user clicks
// elsewhere while a menu title is highlighted), the control it took the keyboard from is
// sent a focus-out event of reason Qt::OtherFocusReason then, so that its exit handling runs
// late rather than never.
//
//   void MyEdit::focusOutEvent(QFocusEvent* event) {
//       QLineEdit::focusOutEvent(event);
//       if (framework::isFocusMove(this, *event))
//           Q_EMIT exited();
//   }
bool isFocusMove(QWidget* control, const QFocusEvent& event);

} // namespace framework
