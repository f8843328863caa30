#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <list>

typedef struct zip zip_t;
typedef struct zip_source zip_source_t;

namespace keeping {

// Writes a new zip file. Nothing appears at the path until commit() has succeeded: the
// archive is written under a temporary name beside it and renamed when complete.
class ZipWriter {
public:
    // Throws engine::Error when the file exists already or cannot be made.
    explicit ZipWriter(const QString& path);
    ~ZipWriter(); // without commit(), discards everything
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds the file at filePath, read when commit() runs, as name.
    void addFile(const QString& name, const QString& filePath);
    void addBytes(const QString& name, const QByteArray& bytes);
    void commit(); // throws engine::Error

private:
    // Adds the source as name, compressed; frees the source when it is not added.
    void add(const QString& name, zip_source_t* source);

    QString m_path;
    zip_t* m_zip = nullptr;
    std::list<QByteArray> m_buffers; // libzip reads them when the archive is written
};

// Reads the members of a zip file.
class ZipReader {
public:
    explicit ZipReader(const QString& path); // throws engine::Error
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    QStringList names() const;
    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const;                         // throws engine::Error
    void extract(const QString& name, const QString& targetPath) const; // throws engine::Error

private:
    // Hands the member's bytes to take, a piece at a time.
    void readChunks(const QString& name,
                    const std::function<void(const char*, qsizetype)>& take) const;

    QString m_path;
    zip_t* m_zip = nullptr;
};

} // namespace keeping
