#pragma once
// Where kvarsel-batch writes: results to standard output, problems and progress
// to standard error. Tests put a recording console in its place.

#include <QString>

namespace kvarsel {

class BatchConsole {
public:
    virtual ~BatchConsole() = default;
    // One line (or several joined by line feeds) of the result.
    virtual void out(const QString& text) = 0;
    // One message about a problem.
    virtual void err(const QString& text) = 0;
    // Progress is drawn only where somebody watches it: on a terminal.
    virtual bool showsProgress() const { return false; }
    // Replaces the progress line; an empty text clears it.
    virtual void progress(const QString&) {}
};

// The process's standard output and standard error, UTF-8 as the terminal expects.
class StandardConsole : public BatchConsole {
public:
    StandardConsole();
    void out(const QString& text) override;
    void err(const QString& text) override;
    bool showsProgress() const override { return m_terminal; }
    void progress(const QString& text) override;

private:
    void clearProgress();
    bool m_terminal = false;
    qsizetype m_progressWidth = 0;
};

// Draws a progress line only when its text changes, so a run over many rows
// writes a few hundred updates, not one per row.
class ProgressLine {
public:
    explicit ProgressLine(BatchConsole& console) : m_console(console) {}
    ~ProgressLine() { clear(); }
    void show(const QString& text);
    void clear();
    bool active() const { return m_console.showsProgress(); }

private:
    BatchConsole& m_console;
    QString m_last;
};

// value of maximum in whole percent, 0 to 100.
int percentOf(qsizetype value, qsizetype maximum);

} // namespace kvarsel
