#include "picture_loader.h"

#include "picture_format.h"
#include "picture_helper_protocol.h"

#include <QDir>
#include <QTimer>
#include <utility>

namespace framework {

namespace protocol = picture_helper_protocol;

namespace {

QImage::Format imageFormatOf(quint32 pixelKind) {
    switch (protocol::PixelKind(pixelKind)) {
    case protocol::PixelKind::Opaque:
        return QImage::Format_RGB32;
    case protocol::PixelKind::PremultipliedTransparent:
        return QImage::Format_ARGB32_Premultiplied;
    }
    return QImage::Format_Invalid;
}

} // namespace

PictureLoader::PictureLoader(QObject* parent)
    : QObject(parent), m_child(new ChildProcess(this)), m_releaseSpares(new QTimer(this)),
      m_pixelFiles(std::make_shared<PixelFiles>()) {
    connect(m_child, &ChildProcess::outputReady, this, &PictureLoader::readOutput);
    connect(m_child, &ChildProcess::ended, this, &PictureLoader::helperEnded);
    m_releaseSpares->setSingleShot(true);
    m_releaseSpares->setInterval(kSpareMemoryKept);
    connect(m_releaseSpares, &QTimer::timeout, this, [this] { m_pixelFiles->releaseSpares(); });
}

PictureLoader::~PictureLoader() {
    cancel();
}

void PictureLoader::request(const QString& fileName) {
    cancel();
    m_releaseSpares->stop();
    m_fileName = fileName;
    const quint64 request = ++m_requests;
    m_pixelFile = m_pixelFiles->take();
    if (m_pixelFile < 0) {
        // Told after request() has returned, like every other answer.
        QMetaObject::invokeMethod(
            this,
            [this, request] {
                if (request == m_requests && !m_fileName.isEmpty())
                    fail(QStringLiteral("Der er ikke hukommelse nok til billedet."));
            },
            Qt::QueuedConnection);
        return;
    }
    // The helper's own limit is a last resort, for when this program is gone: it is ours
    // rounded up to whole seconds, and one more.
    const auto backstop =
        std::chrono::ceil<std::chrono::seconds>(m_timeLimit) + std::chrono::seconds(1);
    m_child->start(
        helperFor(fileName),
        {fileName, QString::number(backstop.count()), QString::number(kMemoryCeilingMegabytes)},
        m_timeLimit, m_pixelFile);
}

void PictureLoader::cancel() {
    m_child->stop();
    m_fileName.clear();
    m_answer.clear();
    m_reasonLength = 0;
    m_pictureHeader.reset();
    // A helper that has ended writes no more: its file can serve the next picture.
    if (m_helperEnded)
        m_pixelFiles->giveBack(m_pixelFile);
    else
        PixelFiles::drop(m_pixelFile);
    m_pixelFile = -1;
    m_helperEnded = false;
}

bool PictureLoader::isBusy() const {
    return m_child->isRunning();
}

// Takes what the helper has written so far: the header, then the reason when there is one.
// Anything more means the helper went wrong: it is stopped and the file is damaged.
void PictureLoader::readOutput() {
    while (m_child->isRunning() && m_child->bytesAvailable() > 0) {
        const qsizetype expected = protocol::kHeaderSize + m_reasonLength;
        const qsizetype had = m_answer.size();
        if (had == expected && (had > protocol::kHeaderSize || m_pictureHeader))
            return fail(QStringLiteral("Filen er beskadiget."));
        m_answer.resize(expected);
        const qint64 got = m_child->read(m_answer.data() + had, expected - had);
        m_answer.resize(had + std::max<qint64>(got, 0));
        if (had < protocol::kHeaderSize && m_answer.size() == protocol::kHeaderSize &&
            !startAnswer())
            return;
    }
}

bool PictureLoader::startAnswer() {
    protocol::Header header;
    if (!protocol::decodeHeader(m_answer.constData(), header)) {
        fail(QStringLiteral("Filen er beskadiget."));
        return false;
    }
    if (header.kind == protocol::kError) {
        if (header.reasonLength == 0 || header.reasonLength > protocol::kMaxReasonSize) {
            fail(QStringLiteral("Filen er beskadiget."));
            return false;
        }
        m_reasonLength = qsizetype(header.reasonLength);
        return true;
    }
    if (header.width == 0 || header.height == 0 ||
        qint64(header.width) * header.height > kMaxPicturePixels ||
        imageFormatOf(header.pixelKind) == QImage::Format_Invalid) {
        fail(QStringLiteral("Filen er beskadiget."));
        return false;
    }
    m_pictureHeader = header;
    return true;
}

void PictureLoader::helperEnded(ChildProcess::Ending ending) {
    m_helperEnded = true;
    readOutput();
    if (m_fileName.isEmpty())
        return; // already answered
    switch (ending) {
    case ChildProcess::Ending::Exited:
        if (m_pictureHeader && m_child->exitCode() == 0)
            return succeed();
        if (m_reasonLength > 0 && m_answer.size() == protocol::kHeaderSize + m_reasonLength)
            return fail(QString::fromUtf8(m_answer.mid(protocol::kHeaderSize)));
        return fail(QStringLiteral("Filen er beskadiget."));
    case ChildProcess::Ending::Crashed:
        return fail(QStringLiteral("Filen er beskadiget, eller billedet er for stort."));
    case ChildProcess::Ending::TimedOut:
        return fail(QStringLiteral("Det tog for lang tid at læse billedet; filen er måske "
                                   "beskadiget."));
    case ChildProcess::Ending::NotStarted:
        return fail(QStringLiteral("Programmet, der læser billeder, kunne ikke startes (%1). "
                                   "Installér Spolebox igen.")
                        .arg(QDir::toNativeSeparators(helperFor(m_fileName))));
    }
}

QString PictureLoader::helperFor(const QString& fileName) const {
    if (!m_helper.isEmpty())
        return m_helper;
    return pictureHelperProgram(pictureFormatOf(fileName) == PictureFormat::Jpeg ? kJpegHelper
                                                                                 : kPictureHelper);
}

void PictureLoader::fail(const QString& reason) {
    const QString fileName = m_fileName;
    cancel();
    m_releaseSpares->start();
    Q_EMIT failed(fileName, QStringLiteral("Kan ikke vise billedet %1.\n%2")
                                .arg(QDir::toNativeSeparators(fileName), reason));
}

void PictureLoader::succeed() {
    const protocol::Header header = *m_pictureHeader;
    const int file = std::exchange(m_pixelFile, -1);
    const QImage picture = m_pixelFiles->picture(file, int(header.width), int(header.height),
                                                 imageFormatOf(header.pixelKind));
    if (picture.isNull())
        return fail(QStringLiteral("Der er ikke hukommelse nok til billedet."));
    const QString fileName = m_fileName;
    cancel();
    m_releaseSpares->start();
    Q_EMIT loaded(fileName, picture);
}

} // namespace framework
