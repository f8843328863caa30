#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <list>

typedef struct zip zip_t;

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
    void compress(qint64 index, const QString& name);

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
    QString m_path;
    zip_t* m_zip = nullptr;
};

} // namespace keeping
