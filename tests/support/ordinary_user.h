#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Runs part of a test as an ordinary user, for whom file permissions hold. Root may write
// any file whatever its permission bits, so when the tests run as root the catalogue's
// folder and files are handed to the user "nobody" and the effective user is switched to it
// for the object's lifetime. As any other user nothing needs changing.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const QString& catalogueDir) {
        if (geteuid() != 0)
            return;
        const passwd* nobody = getpwnam("nobody");
        if (!nobody)
            return;
        // The temporary folder above the catalogue is the owner's alone: let nobody through.
        const QByteArray parent = QFile::encodeName(QFileInfo(catalogueDir).absolutePath());
        ::chmod(parent.constData(), 0755);
        const QDir dir(catalogueDir);
        hand(dir.absolutePath(), nobody);
        for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
            hand(dir.filePath(entry), nobody);
        m_switched = ::setegid(nobody->pw_gid) == 0 && ::seteuid(nobody->pw_uid) == 0;
    }
    ~AsOrdinaryUser() {
        if (m_switched) {
            [[maybe_unused]] const int user = ::seteuid(0);
            [[maybe_unused]] const int group = ::setegid(0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

    // Whether permissions hold now (as root without the user "nobody", they do not).
    bool permissionsHold() const { return m_switched || geteuid() != 0; }

private:
    static void hand(const QString& path, const passwd* user) {
        [[maybe_unused]] const int changed =
            ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid);
    }

    bool m_switched = false;
};

// Takes the write permission from a file, as a user may do to protect it.
inline bool makeReadOnly(const QString& path) {
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
}
