#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QFileDialog;
class QWidget;

// The open-picture dialog of the actor register: the picture file types in their order,
// and a file dialog with a preview of the picture under the cursor.

struct PictureFileType {
    QString label;        // as the dialog lists it
    QStringList patterns; // the files it shows
};

// "All (*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf)" first, then one type per kind.
const std::vector<PictureFileType>& pictureFileTypes();

// The dialog, set up but not shown: the file types, the starting directory (empty: the
// dialog's own default) and the preview.
std::unique_ptr<QFileDialog> createPictureFileDialog(QWidget* parent,
                                                     const QString& initialDirectory);

// Runs the dialog modally: the chosen file's full path, nothing when cancelled.
std::optional<QString> choosePictureFile(QWidget* parent, const QString& initialDirectory);
