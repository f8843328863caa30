#include "picture_loader.h"

#include "child_process.h"
#include "picture_format.h"
#include "picture_helper_protocol.h"

#include <QDir>

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

PictureLoader::PictureLoader(QObject* parent) : QObject(parent), m_child(new ChildProcess(this)) {
    connect(m_child, &ChildProcess::outputReady, this, &PictureLoader::readOutput);
    connect(m_child, &ChildProcess::ended, this, &PictureLoader::helperEnded);
}

void PictureLoader::request(const QString& fileName) {
    cancel();
    m_fileName = fileName;
    // The helper's own limit is a last resort, for when this program is gone: it is ours
    // rounded up to whole seconds, and one more.
    const auto backstop =
        std::chrono::ceil<std::chrono::seconds>(m_timeLimit) + std::chrono::seconds(1);
    m_child->start(
        m_helper.isEmpty() ? pictureHelperProgram() : m_helper,
        {fileName, QString::number(backstop.count()), QString::number(kMemoryCeilingMegabytes)},
        m_timeLimit);
}

void PictureLoader::cancel() {
    m_child->stop();
    m_fileName.clear();
    m_header.clear();
    m_picture = QImage();
    m_pixelBytesRead = 0;
    m_reason.clear();
}

bool PictureLoader::isBusy() const {
    return m_child->isRunning();
}

// Takes what the helper has written so far. Anything that is not a well-formed answer of
// the promised size means the helper went wrong: it is stopped and the file is damaged.
void PictureLoader::readOutput() {
    while (m_child->isRunning() && m_child->bytesAvailable() > 0) {
        if (m_header.size() < protocol::kHeaderSize) {
            const qsizetype had = m_header.size();
            m_header.resize(protocol::kHeaderSize);
            const qint64 got = m_child->read(m_header.data() + had, protocol::kHeaderSize - had);
            m_header.resize(had + std::max<qint64>(got, 0));
            if (m_header.size() == protocol::kHeaderSize && !startAnswer())
                return;
            continue;
        }
        if (!m_picture.isNull()) {
            const qint64 total = m_picture.sizeInBytes();
            if (m_pixelBytesRead == total)
                return fail(QStringLiteral("Filen er beskadiget."));
            const qint64 got =
                m_child->read(reinterpret_cast<char*>(m_picture.bits()) + m_pixelBytesRead,
                              total - m_pixelBytesRead);
            m_pixelBytesRead += std::max<qint64>(got, 0);
            continue;
        }
        const qsizetype had = m_reason.size();
        if (had == m_reasonLength)
            return fail(QStringLiteral("Filen er beskadiget."));
        m_reason.resize(m_reasonLength);
        const qint64 got = m_child->read(m_reason.data() + had, m_reasonLength - had);
        m_reason.resize(had + std::max<qint64>(got, 0));
    }
}

bool PictureLoader::startAnswer() {
    protocol::Header header;
    if (!protocol::decodeHeader(m_header.constData(), header)) {
        fail(QStringLiteral("Filen er beskadiget."));
        return false;
    }
    if (header.kind == protocol::kError) {
        if (header.reasonLength > protocol::kMaxReasonSize) {
            fail(QStringLiteral("Filen er beskadiget."));
            return false;
        }
        m_reasonLength = qsizetype(header.reasonLength);
        return true;
    }
    const QImage::Format format = imageFormatOf(header.pixelKind);
    if (header.width == 0 || header.height == 0 ||
        qint64(header.width) * header.height > kMaxPicturePixels ||
        format == QImage::Format_Invalid) {
        fail(QStringLiteral("Filen er beskadiget."));
        return false;
    }
    m_picture = QImage(int(header.width), int(header.height), format);
    if (m_picture.isNull()) {
        fail(QStringLiteral("Der er ikke hukommelse nok til billedet."));
        return false;
    }
    return true;
}

void PictureLoader::helperEnded(ChildProcess::Ending ending) {
    readOutput();
    if (m_fileName.isEmpty())
        return; // already answered
    switch (ending) {
    case ChildProcess::Ending::Exited:
        if (m_header.size() == protocol::kHeaderSize && !m_picture.isNull() &&
            m_pixelBytesRead == m_picture.sizeInBytes())
            return succeed();
        if (m_header.size() == protocol::kHeaderSize && m_picture.isNull() &&
            m_reason.size() == m_reasonLength && m_reasonLength > 0)
            return fail(QString::fromUtf8(m_reason));
        return fail(QStringLiteral("Filen er beskadiget."));
    case ChildProcess::Ending::Crashed:
        return fail(QStringLiteral("Filen er beskadiget, eller billedet er for stort."));
    case ChildProcess::Ending::TimedOut:
        return fail(QStringLiteral("Det tog for lang tid at læse billedet; filen er måske "
                                   "beskadiget."));
    case ChildProcess::Ending::NotStarted:
        return fail(QStringLiteral("Programmet, der læser billeder, kunne ikke startes (%1). "
                                   "Installér Spolebox igen.")
                        .arg(QDir::toNativeSeparators(m_helper.isEmpty() ? pictureHelperProgram()
                                                                         : m_helper)));
    }
}

void PictureLoader::fail(const QString& reason) {
    const QString fileName = m_fileName;
    cancel();
    Q_EMIT failed(fileName, QStringLiteral("Kan ikke vise billedet %1.\n%2")
                                .arg(QDir::toNativeSeparators(fileName), reason));
}

void PictureLoader::succeed() {
    const QString fileName = m_fileName;
    const QImage picture = m_picture;
    cancel();
    Q_EMIT loaded(fileName, picture);
}

} // namespace framework
