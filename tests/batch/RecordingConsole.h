#pragma once
// Keeps what kvarsel-batch would print, for the tests to read.

#include "batch/BatchConsole.h"

#include <QStringList>

namespace kvarsel::test {

class RecordingConsole : public BatchConsole {
public:
    QStringList outLines;
    QStringList errLines;
    QStringList progressTexts;
    bool terminal = false;

    void out(const QString& text) override { outLines << text.split(QChar(10)); }
    void err(const QString& text) override { errLines << text.split(QChar(10)); }
    bool showsProgress() const override { return terminal; }
    void progress(const QString& text) override { progressTexts << text; }

    QString outText() const { return outLines.join(QChar(10)); }
    QString errText() const { return errLines.join(QChar(10)); }
};

} // namespace kvarsel::test
