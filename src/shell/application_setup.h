#pragma once

#include <QFont>

// The program's look and language, the same for every window: one application font (the
// main window's "MS Sans Serif" 8 pt, or the nearest narrow font where it is missing), Qt's
// own texts (context menus, file and colour dialogs) in Danish, and dates written with
// Danish month and day names whatever the machine's language is.
//
// Call once, after the QApplication exists and before any window is made.
void setUpApplication();

// The application font: the font every window is laid out for.
QFont applicationFont();
