// Main window: "Kapitler til digitalisering…" saves where each recording of the current
// recording's tape lies in a capture of the whole tape, in the format the user picks.

#include "Spolebox.h"
#include "data/Databoxunit.h"
#include "data/chapter_formats.h"
#include "data/tape_chapters.h"
#include "framework/field_data_link.h"
#include "framework/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <array>
#include <optional>

namespace {

struct ChapterFileType {
    QString filter; // as the dialog lists it
    QString suffix;
    chapters::Format format;
};

const std::array<ChapterFileType, 3>& chapterFileTypes() {
    static const std::array<ChapterFileType, 3> types{{
        {QStringLiteral("FFmpeg-metadata (*.txt)"), QStringLiteral("txt"),
         chapters::Format::FFMetadata},
        {QStringLiteral("Matroska-kapitler (*.xml)"), QStringLiteral("xml"),
         chapters::Format::Matroska},
        {QStringLiteral("Klippescript til ffmpeg (*.sh)"), QStringLiteral("sh"),
         chapters::Format::CutScript},
    }};
    return types;
}

struct ChosenFile {
    QString path;
    chapters::Format format;
};

// The save dialog: the file and, by its type, the format.
std::optional<ChosenFile> chooseChapterFile(QWidget* parent, const QString& tapeName) {
    QFileDialog dialog(parent, QStringLiteral("Kapitler til digitalisering"));
    dialog.setObjectName(QStringLiteral("KapitlerDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(QDir::homePath());
    QStringList filters;
    for (const ChapterFileType& type : chapterFileTypes())
        filters << type.filter;
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(chapterFileTypes()[0].suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        for (const ChapterFileType& type : chapterFileTypes()) {
            if (type.filter == f)
                dialog.setDefaultSuffix(type.suffix);
        }
    });
    dialog.selectFile(chapters::safeFileName(QStringLiteral("Bånd %1 kapitler").arg(tapeName)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    for (const ChapterFileType& type : chapterFileTypes()) {
        if (type.filter == dialog.selectedNameFilter())
            return ChosenFile{dialog.selectedFiles().first(), type.format};
    }
    return ChosenFile{dialog.selectedFiles().first(), chapters::Format::FFMetadata};
}

QString overlapMessage(const QString& tapeName, const std::vector<chapters::Overlap>& overlaps) {
    QString text = QStringLiteral("Optagelserne på bånd %1 overlapper hinanden, så deres plads "
                                  "i en optagelse af hele båndet kendes ikke:")
                       .arg(tapeName);
    for (const chapters::Overlap& o : overlaps) {
        text += QStringLiteral("\n\"%1\" (%2-%3) og \"%4\" (%5-%6)")
                    .arg(o.first, chapters::minutesText(o.firstStart),
                         chapters::minutesText(o.firstEnd), o.second,
                         chapters::minutesText(o.secondStart), chapters::minutesText(o.secondEnd));
    }
    return text + QStringLiteral("\nRet optagelserne, før kapitlerne gemmes.");
}

} // namespace

void TMainForm::Kapitlertildigitalisering1Click() {
    if (!m_dataBox)
        return;
    // The chapters come from the stored recordings: what the window shows is stored first.
    // A refused post has told the user why and ends here.
    framework::updateRecord(&m_dataBox->VideoSource());
    engine::Table& recordings = m_dataBox->VideoTable();
    if (recordings.isEditing() && recordings.modified())
        recordings.post();
    const QString tapeName = recordings.isEmpty()
                                 ? QString()
                                 : recordings.fieldByName(QStringLiteral("Baandnummer")).asString();
    const std::optional<chapters::Tape> tape = chapters::readTape(m_dataBox->session(), tapeName);
    if (!tape) {
        framework::systemError(QStringLiteral("Den aktuelle optagelse ligger ikke på et bånd."));
        return;
    }
    const chapters::ChapterList list =
        chapters::computeChapters(tape->recordings, chapters::BlankSpeed::SP);
    if (!list.overlaps.empty()) {
        framework::systemError(overlapMessage(tape->name, list.overlaps));
        return;
    }

    const std::optional<ChosenFile> chosen = chooseChapterFile(this, tape->name);
    if (!chosen)
        return;
    QSaveFile file(chosen->path);
    const QByteArray text =
        chapters::formatChapters(list.chapters, chosen->format, tape->name).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        framework::systemError(
            QStringLiteral("Kan ikke gemme %1: %2")
                .arg(QDir::toNativeSeparators(chosen->path), file.errorString()));
        return;
    }
    if (chosen->format == chapters::Format::CutScript)
        QFile::setPermissions(chosen->path, QFile::permissions(chosen->path) | QFile::ExeOwner |
                                                QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
}
