#pragma once

#include <QString>

// Where the alias "Spolebox" points when the program has to add it.
struct CatalogueHome {
    QString directory;             // the catalogue folder the new alias names
    bool setUpWhenMissing = false; // an empty catalogue is set up when that folder is missing
};

// The home of a program running from programDir (with its trailing separator): the folder
// "DATA" beside the program file. A copy running from installedBinDir, the program folder
// of the install prefix it was built for, is not the user's folder: its catalogue lives in
// the user's data folder, $XDG_DATA_HOME/spolebox/DATA (~/.local/share/spolebox/DATA),
// and is set up empty at the first start. An empty installedBinDir means no prefix.
CatalogueHome catalogueHome(const QString& programDir, const QString& installedBinDir);
