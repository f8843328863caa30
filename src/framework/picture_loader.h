#pragma once

#include "child_process.h"
#include "picture_helper_protocol.h"
#include "picture_pixel_files.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

class QTimer;

namespace framework {

// Decodes picture files for a window without ever making it wait: each file is decoded by
// a picture helper program in a process of its own, with a time limit and a memory
// ceiling, while the event loop runs on: JPEG files by spolebox-jpeg-helper, the others by
// spolebox-picture-helper. The decoder follows from the file's extension, letters in any
// case (.bmp, .ico, .emf, .wmf, .jpg, .jpeg); the picture comes back at most
// kMaxPicturePixels large.
//
// One request at a time: a new request, or cancel(), drops the one before, whose helper is
// killed and whose answer is never heard. Each request ends in exactly one signal, never
// before request() has returned.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{5000};
    static constexpr int kMemoryCeilingMegabytes = 1024;
    // How long the memory of a shown picture is kept for the next one (see PixelFiles).
    static constexpr std::chrono::milliseconds kSpareMemoryKept{10000};

    explicit PictureLoader(QObject* parent = nullptr);
    ~PictureLoader() override;

    void request(const QString& fileName);
    void cancel();
    bool isBusy() const;

    // How long the helper may take for one file.
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }
    // The helper program to run for every file (by default the one for its kind, found by
    // pictureHelperProgram()).
    void setHelperProgram(const QString& program) { m_helper = program; }

Q_SIGNALS:
    void loaded(const QString& fileName, const QImage& picture);
    // The message for the user, naming the file: "Kan ikke vise billedet FILE." and why
    // (unknown file type, unreadable, empty, damaged, truncated, too large, took too long).
    void failed(const QString& fileName, const QString& message);

private:
    void readOutput();
    bool startAnswer();
    void helperEnded(framework::ChildProcess::Ending ending);
    void fail(const QString& reason);
    void succeed();
    QString helperFor(const QString& fileName) const;

    ChildProcess* m_child = nullptr;
    QTimer* m_releaseSpares = nullptr;
    QString m_helper;
    std::chrono::milliseconds m_timeLimit = kDefaultTimeLimit;
    QString m_fileName;
    std::shared_ptr<PixelFiles> m_pixelFiles;
    int m_pixelFile = -1; // the one the helper at work puts the picture in
    bool m_helperEnded = false;
    quint64 m_requests = 0;
    // The answer as it comes in: the header, then the reason when there is one.
    QByteArray m_answer;
    qsizetype m_reasonLength = 0;
    std::optional<picture_helper_protocol::Header> m_pictureHeader;
};

inline const QString kPictureHelper = QStringLiteral("spolebox-picture-helper");
inline const QString kJpegHelper = QStringLiteral("spolebox-jpeg-helper");

// Where a picture helper program is: beside the program (a build tree, or an installation
// that keeps its programs together), else in the program's own folder under the installed
// tree's libexec, else where this build tree made it (tests and benchmarks, whose programs
// live elsewhere in the tree).
QString pictureHelperProgram(const QString& name);

} // namespace framework
