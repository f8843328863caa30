#include "picture_file_dialog.h"

#include "framework/picture_format.h"
#include "framework/picture_loader.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>

namespace {

constexpr int kPreviewSide = 160;

const PictureFileType* typeOfLabel(const QString& label) {
    for (const PictureFileType& type : pictureFileTypes())
        if (type.label == label)
            return &type;
    return nullptr;
}

// Shows the picture under the cursor in the dialog, scaled into a square. The picture is
// decoded while the dialog goes on; moving on to another file drops the one before.
class PicturePreview : public QLabel {
public:
    explicit PicturePreview(QWidget* parent)
        : QLabel(parent), m_loader(new framework::PictureLoader(this)) {
        setObjectName(QStringLiteral("Preview"));
        setFixedSize(kPreviewSide, kPreviewSide);
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        connect(m_loader, &framework::PictureLoader::loaded, this,
                [this](const QString&, const QImage& image) {
                    setPixmap(QPixmap::fromImage(image.scaled(
                        size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
                });
        // A file that cannot be shown has no preview; choosing it shows the reason.
    }

    void showFile(const QString& path) {
        clear();
        m_loader->cancel();
        if (QFileInfo(path).isFile() && framework::pictureFormatOf(path))
            m_loader->request(path);
    }

private:
    framework::PictureLoader* m_loader;
};

} // namespace

const std::vector<PictureFileType>& pictureFileTypes() {
    static const std::vector<PictureFileType> types = {
        {QStringLiteral("All (*.jpeg;*.jpg;*.bmp;*.ico;*.emf;*.wmf)"),
         {QStringLiteral("*.jpeg"), QStringLiteral("*.jpg"), QStringLiteral("*.bmp"),
          QStringLiteral("*.ico"), QStringLiteral("*.emf"), QStringLiteral("*.wmf")}},
        {QStringLiteral("JPEG Image File (*.jpeg)"), {QStringLiteral("*.jpeg")}},
        {QStringLiteral("JPEG Image File (*.jpg)"), {QStringLiteral("*.jpg")}},
        {QStringLiteral("Bitmaps (*.bmp)"), {QStringLiteral("*.bmp")}},
        {QStringLiteral("Icons (*.ico)"), {QStringLiteral("*.ico")}},
        {QStringLiteral("Enhanced Metafiles (*.emf)"), {QStringLiteral("*.emf")}},
        {QStringLiteral("Metafiles (*.wmf)"), {QStringLiteral("*.wmf")}},
    };
    return types;
}

std::unique_ptr<QFileDialog> createPictureFileDialog(QWidget* parent,
                                                     const QString& initialDirectory) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setObjectName(QStringLiteral("OpenPictureDialog1"));
    // Qt's own dialog: the native ones take no preview.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (!initialDirectory.isEmpty())
        dialog->setDirectory(initialDirectory);
    QStringList labels;
    for (const PictureFileType& type : pictureFileTypes())
        labels << type.label;
    dialog->setNameFilters(labels);

    // Qt reads the patterns of a file type from its label, separated by blanks; the labels
    // here separate them by semicolons. The dialog's file list gets the patterns directly.
    if (auto* model = dialog->findChild<QFileSystemModel*>()) {
        const auto usePatterns = [model](const QString& label) {
            if (const PictureFileType* type = typeOfLabel(label))
                model->setNameFilters(type->patterns);
        };
        QObject::connect(dialog.get(), &QFileDialog::filterSelected, model, usePatterns);
        usePatterns(labels.first());
    }

    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
        auto* preview = new PicturePreview(dialog.get());
        grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1, Qt::AlignTop);
        QObject::connect(dialog.get(), &QFileDialog::currentChanged, preview,
                         [preview](const QString& path) { preview->showFile(path); });
    }
    return dialog;
}

std::optional<QString> choosePictureFile(QWidget* parent, const QString& initialDirectory) {
    const std::unique_ptr<QFileDialog> dialog = createPictureFileDialog(parent, initialDirectory);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QStringList files = dialog->selectedFiles();
    if (!accepted || files.isEmpty())
        return std::nullopt;
    return files.first();
}
