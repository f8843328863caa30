#include "editing_keys.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace framework {

bool changesText(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    for (QKeySequence::StandardKey key :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo,
          QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
          QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine}) {
        if (event.matches(key))
            return true;
    }
    // A printable character; Ctrl+Alt stands for AltGr on some keyboards.
    const QString text = event.text();
    const auto modifiers = event.modifiers();
    const bool command =
        (modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier);
    return !text.isEmpty() && text.at(0).isPrint() && !command;
}

} // namespace framework
