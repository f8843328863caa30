#pragma once

class QKeyEvent;

namespace framework {

// Keys that change the text of an edit control (characters, deleting, cutting, pasting,
// undoing): data controls put their dataset into edit mode before such a key goes in.
bool changesText(const QKeyEvent& event);

} // namespace framework
