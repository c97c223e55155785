#include "batch/BatchConsole.h"

#include "text/NativePath.h"

#include <cstdio>
#include <unistd.h>

namespace kvarsel {

namespace {

// A path with bytes that are not UTF-8 is shown with those very bytes, as the
// shell showed it, not as its stand-in nor as question marks.
QByteArray bytesOf(const QString& text)
{
    const QString shown = withRealPaths(text);
    return holdsEscapedBytes(shown) ? nativePath(shown) : shown.toUtf8();
}

void writeLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = bytesOf(text) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

StandardConsole::StandardConsole() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

void StandardConsole::out(const QString& text)
{
    clearProgress();
    writeLine(stdout, text);
}

void StandardConsole::err(const QString& text)
{
    clearProgress();
    writeLine(stderr, text);
}

void StandardConsole::progress(const QString& text)
{
    if (!m_terminal)
        return;
    clearProgress();
    if (text.isEmpty())
        return;
    const QByteArray bytes = bytesOf(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    m_progressWidth = text.size();
}

void StandardConsole::clearProgress()
{
    if (m_progressWidth == 0)
        return;
    // Carriage return, blanks over the old text, carriage return again.
    const QByteArray blank = '\r' + QByteArray(m_progressWidth, ' ') + '\r';
    std::fwrite(blank.constData(), 1, size_t(blank.size()), stderr);
    std::fflush(stderr);
    m_progressWidth = 0;
}

void ProgressLine::show(const QString& text)
{
    if (!m_console.showsProgress() || text == m_last)
        return;
    m_last = text;
    m_console.progress(text);
}

void ProgressLine::clear()
{
    if (m_last.isEmpty())
        return;
    m_last.clear();
    m_console.progress(QString());
}

int percentOf(qsizetype value, qsizetype maximum)
{
    if (maximum <= 0)
        return 100;
    return int(qBound(qsizetype(0), value * 100 / maximum, qsizetype(100)));
}

} // namespace kvarsel
