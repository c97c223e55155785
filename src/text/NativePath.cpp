#include "text/NativePath.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kvarsel {

namespace {
constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF: the bytes 0x80..0xFF

bool isEscape(QChar c) { return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF; }

// The length of the well-formed UTF-8 sequence at bytes[i], or 0.
int sequenceAt(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return k < bytes.size() ? uchar(bytes[k]) : 0u; };
    const unsigned lead = at(i);
    const auto follows = [&](qsizetype k) { return (at(k) & 0xC0u) == 0x80u; };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned second = at(i + 1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) // overlong, surrogate
            return 0;
        return follows(i + 1) && follows(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned second = at(i + 1);
        if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
            return 0;
        return follows(i + 1) && follows(i + 2) && follows(i + 3) ? 4 : 0;
    }
    return 0;
}
} // namespace

bool holdsEscapedBytes(const QString& path)
{
    for (const QChar c : path)
        if (isEscape(c))
            return true;
    return false;
}

QByteArray nativePath(const QString& path)
{
    if (!holdsEscapedBytes(path))
        return QFile::encodeName(path);
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isEscape(path[i]))
            continue;
        out += QFile::encodeName(path.mid(start, i - start));
        if (i < path.size())
            out += char(path[i].unicode() - kEscapeBase);
        start = i + 1;
    }
    return out;
}

QString pathFromNative(const QByteArray& bytes)
{
    const QString decoded = QFile::decodeName(bytes);
    if (QFile::encodeName(decoded) == bytes)
        return decoded;
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = sequenceAt(bytes, i);
        if (n == 0) {
            out += QChar(char16_t(kEscapeBase + uchar(bytes[i])));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.constData() + i, n);
            i += n;
        }
    }
    return out;
}

namespace {
QMutex& aliasMutex()
{
    static QMutex mutex;
    return mutex;
}
QList<std::pair<QString, QString>>& aliases() // stand-in, real path
{
    static QList<std::pair<QString, QString>> list;
    return list;
}
} // namespace

QString reachablePath(const QString& path)
{
#ifdef Q_OS_LINUX
    if (!holdsEscapedBytes(path))
        return path;
    const QMutexLocker guard(&aliasMutex());
    for (const auto& [alias, real] : std::as_const(aliases()))
        if (real == path)
            return alias;
    QString dir = path, name;
    int fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A file: its directory stands in, and its own name is kept.
        const qsizetype slash = path.lastIndexOf(u'/');
        if (slash < 0)
            dir = QStringLiteral(".");
        else
            dir = slash == 0 ? QStringLiteral("/") : path.left(slash);
        name = path.mid(slash + 1);
        fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return path;
    }
    // Held open until the process ends, as its stand-in is used to the end.
    const QString alias = QStringLiteral("/proc/self/fd/%1").arg(fd);
    aliases().append({alias, dir});
    return name.isEmpty() ? alias : alias + u'/' + name;
#else
    return path;
#endif
}

QString withRealPaths(const QString& text)
{
    if (!text.contains(QStringLiteral("/proc/self/fd/")))
        return text;
    QString out = text;
    const QMutexLocker guard(&aliasMutex());
    // Longer stand-ins first, so "/proc/self/fd/12" is not read as "/proc/self/fd/1".
    QList<std::pair<QString, QString>> list = aliases();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [alias, real] : std::as_const(list))
        out.replace(alias, real);
    return out;
}

QString currentDirectoryPath()
{
#ifdef Q_OS_UNIX
    QByteArray buffer(4096, '\0');
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return QDir::currentPath();
        buffer.resize(buffer.size() * 2);
    }
    return reachablePath(pathFromNative(QByteArray(buffer.constData())));
#else
    return QDir::currentPath();
#endif
}

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << reachablePath(pathFromNative(QByteArray(argv[i])));
    return arguments;
}

QStringList directoryNames(const QString& dir)
{
    QStringList names;
#ifdef Q_OS_UNIX
    DIR* d = ::opendir(nativePath(dir).constData());
    if (!d)
        return names;
    while (const dirent* entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << pathFromNative(name);
    }
    ::closedir(d);
#else
    names = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
#endif
    return names;
}

} // namespace kvarsel
