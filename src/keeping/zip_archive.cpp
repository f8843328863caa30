#include "zip_archive.h"

#include "engine/error.h"

#include <QFile>
#include <functional>
#include <memory>
#include <unistd.h>
#include <zip.h>

namespace keeping {

namespace {

constexpr qsizetype kChunk = 1 << 16;

// Backups are mostly table pages, which compress well already at the fastest level.
constexpr zip_uint32_t kCompressionLevel = 1;

QString openError(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString message = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return message;
}

QString archiveError(zip_t* zip) {
    return QString::fromUtf8(zip_strerror(zip));
}

// Opens the archive at path; what says how the message begins ("Cannot open").
zip_t* openArchive(const QString& path, int flags, const char* what) {
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), flags, &code);
    if (!zip)
        throw engine::Error(
            QStringLiteral("%1 '%2': %3").arg(QLatin1String(what), path, openError(code)));
    return zip;
}

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

} // namespace

ZipWriter::ZipWriter(const QString& path)
    : m_path(path), m_zip(openArchive(path, ZIP_CREATE | ZIP_EXCL, "Cannot create")) {}

ZipWriter::~ZipWriter() {
    if (m_zip)
        zip_discard(m_zip);
}

void ZipWriter::add(const QString& name, zip_source_t* source) {
    const auto cannotAdd = [&] {
        return engine::Error(
            QStringLiteral("Cannot add '%1' to '%2': %3").arg(name, m_path, archiveError(m_zip)));
    };
    if (!source)
        throw cannotAdd();
    const zip_int64_t index =
        zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw cannotAdd();
    }
    if (zip_set_file_compression(m_zip, zip_uint64_t(index), ZIP_CM_DEFLATE, kCompressionLevel) < 0)
        throw cannotAdd();
}

void ZipWriter::addFile(const QString& name, const QString& filePath) {
    zip_source_t* source = zip_source_file(m_zip, QFile::encodeName(filePath).constData(), 0, -1);
    if (!source)
        throw engine::Error(
            QStringLiteral("Cannot read '%1': %2").arg(filePath, archiveError(m_zip)));
    add(name, source);
}

void ZipWriter::addBytes(const QString& name, const QByteArray& bytes) {
    const QByteArray& kept = m_buffers.emplace_back(bytes);
    add(name, zip_source_buffer(m_zip, kept.constData(), zip_uint64_t(kept.size()), 0));
}

void ZipWriter::commit() {
    if (zip_close(m_zip) < 0) {
        const QString message = archiveError(m_zip);
        zip_discard(m_zip);
        m_zip = nullptr;
        throw engine::Error(QStringLiteral("Cannot write '%1': %2").arg(m_path, message));
    }
    m_zip = nullptr;
}

ZipReader::ZipReader(const QString& path)
    : m_path(path), m_zip(openArchive(path, ZIP_RDONLY | ZIP_CHECKCONS, "Cannot open")) {}

ZipReader::~ZipReader() {
    zip_discard(m_zip);
}

QStringList ZipReader::names() const {
    QStringList list;
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS))
            list << QString::fromUtf8(name);
    }
    return list;
}

bool ZipReader::contains(const QString& name) const {
    return zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_ENC_GUESS) >= 0;
}

void ZipReader::readChunks(const QString& name,
                           const std::function<void(const char*, qsizetype)>& take) const {
    std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen(m_zip, name.toUtf8().constData(), ZIP_FL_ENC_GUESS));
    if (!file)
        throw engine::Error(
            QStringLiteral("Cannot read '%1' in '%2': %3").arg(name, m_path, archiveError(m_zip)));
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), kChunk);
        if (got < 0)
            throw engine::Error(
                QStringLiteral("Cannot read '%1' in '%2': %3")
                    .arg(name, m_path, QString::fromUtf8(zip_file_strerror(file.get()))));
        if (got == 0)
            return;
        take(buffer.constData(), qsizetype(got));
    }
}

QByteArray ZipReader::read(const QString& name) const {
    QByteArray bytes;
    readChunks(name, [&bytes](const char* data, qsizetype size) { bytes.append(data, size); });
    return bytes;
}

void ZipReader::extract(const QString& name, const QString& targetPath) const {
    QFile target(targetPath);
    const auto cannotWrite = [&] {
        return engine::Error(
            QStringLiteral("Cannot write '%1': %2").arg(targetPath, target.errorString()));
    };
    // Opened only once the member is found, so that a missing member leaves no file.
    readChunks(name, [&](const char* data, qsizetype size) {
        if (!target.isOpen() && !target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw cannotWrite();
        if (target.write(data, size) != size)
            throw cannotWrite();
    });
    if (!target.isOpen() && !target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw cannotWrite();
    if (!target.flush() || ::fsync(target.handle()) != 0)
        throw cannotWrite();
}

} // namespace keeping
