#pragma once
// Small helpers shared by the tests: scratch directories and raw file access.

#include "text/Cp1251.h"
#include "workspace/ResourceLoader.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace kvarsel::test {

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// `size` pseudo-random bytes, the same for the same seed: large data in which a piece
// copied from the wrong place shows.
inline QByteArray pseudoRandomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
}

// Lines encoded in Windows-1251, each ended by CR LF.
inline QByteArray cp1251Lines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines) {
        cp1251::encode(l, out);
        out += "\r\n";
    }
    return out;
}

inline bool writeLinesRaw(const QString& path, const QStringList& lines)
{
    return writeBytes(path, cp1251Lines(lines));
}

// Copies a directory tree; used to work on a scratch copy of demo/.
inline bool copyTree(const QString& from, const QString& to)
{
    QDir src(from);
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo& fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + QLatin1Char('/') + fi.fileName();
        if (fi.isDir()) {
            if (!copyTree(fi.absoluteFilePath(), target))
                return false;
        } else if (!QFile::copy(fi.absoluteFilePath(), target)) {
            return false;
        } else {
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return true;
}

// Every file under a directory, by relative path, with its bytes.
inline QMap<QString, QByteArray> snapshotTree(const QString& dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        files.insert(QDir(dir).relativeFilePath(f), readBytes(f));
    }
    return files;
}

inline QString demoDir() { return QStringLiteral(KVARSEL_DEMO_DIR); }

// Four line stores, one per kind, for tests of loading and saving without a window.
struct Stores {
    LineStore menu{ResourceKind::Menu}, dialog{ResourceKind::Dialog}, string{ResourceKind::String},
        rcdata{ResourceKind::RcData};
    LineStores all() { return {&menu, &dialog, &string, &rcdata}; }
    ConstLineStores constAll() const { return {&menu, &dialog, &string, &rcdata}; }
};

// A small tmpfs mounted over a directory for as long as this object lives: a disk
// that really runs full. Mounting needs root (as in CI); `error` says why it failed.
struct SmallDisk {
    QString path;
    QString error;
    SmallDisk(const QString& dir, const QString& size)
    {
        QDir().mkpath(dir);
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", dir});
        if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0)
            error = "mount: " + QString::fromLocal8Bit(mount.readAllStandardError()).trimmed() +
                    mount.errorString();
        else
            path = dir;
    }
    ~SmallDisk()
    {
        if (!path.isEmpty() && QProcess::execute(QStringLiteral("umount"), {path}) != 0)
            QProcess::execute(QStringLiteral("umount"), {"-l", path});
    }
    // Fills the disk up to the last `keepFree` bytes with the file `name`.
    bool fill(const QString& name, qint64 keepFree = 0) const
    {
        QFile filler(path + "/" + name);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size() && filler.flush())
            ;
        filler.close();
        return filler.resize(qMax<qint64>(0, filler.size() - keepFree));
    }
};

// While it lives, no file of this process may grow past `bytes`: a write beyond
// fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace kvarsel::test
