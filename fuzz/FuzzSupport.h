#pragma once
// Shared by the fuzz targets: a scratch file for inputs that readers take from
// disk, and a hard stop that libFuzzer and the corpus runner both report.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace kvarsel::fuzz {

inline const QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

inline QString writeInput(const char* name, const uint8_t* data, size_t size)
{
    const QString path = scratch().filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    return path;
}

[[noreturn]] inline void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            ::kvarsel::fuzz::fail(#cond, (detail));                                                          \
    } while (false)

} // namespace kvarsel::fuzz
