#include "Workload.h"

#include "settings/SettingsFile.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>

namespace kvarsel::bench {

// The workload at size 1; the comparison mode scales every count by its size.
int linesPerKind = 30000;
int dictionaryEntries = 250000;
int phraseCount = 120000; // distinct phrases the scripts use; the dictionaries know the even ones

void scaleWorkload(double size)
{
    linesPerKind = qMax(kFilesPerKind, int(30000 * size));
    dictionaryEntries = qMax(1, int(250000 * size));
    phraseCount = qMax(2, int(120000 * size) / 2 * 2);
}

QString phrase(int n)
{
    static const char* words[] = {"Open",   "Save",   "Close",    "Print",  "Find",  "Replace",
                                  "Export", "Import", "Settings", "Window", "Layer", "Brush",
                                  "Filter", "Color",  "Image",    "Text"};
    // The number stands inside: trailing digits would be trimmed off most texts.
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(words[n % 16]))
        .arg(n)
        .arg(QLatin1String(words[(n / 16) % 16]));
}

QString russian(int n) { return QStringLiteral("Фраза номер %1").arg(n); }

void writeFile(const QString& path, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (auto e = writeLines(path, lines)) {
        std::fprintf(stderr, "%s\n", qPrintable(e->message()));
        std::exit(1);
    }
}

void generate(const QString& root)
{
    QRandomGenerator rng(20261208);
    // Scripts: every kind's grammar, texts drawn from the phrase set.
    const auto text = [&] { return phrase(int(rng.bounded(phraseCount))); };
    for (int f = 0; f < kFilesPerKind; ++f) {
        QStringList menu, dialog, string, rcdata;
        for (int i = 0; i < linesPerKind / kFilesPerKind; ++i) {
            menu << QStringLiteral("        MENUITEM \"&%1...\\tCtrl+%2\", ID_M%3")
                        .arg(text())
                        .arg(i % 10)
                        .arg(i);
            dialog << (i % 7 == 0
                           ? QStringLiteral("    CONTROL \"%1\",IDC_C%2,\"Button\",WS_TABSTOP,7,7,50,10")
                                 .arg(text())
                                 .arg(i)
                           : QStringLiteral("    LTEXT \"%1:\",IDC_STATIC,7,%2,40,8").arg(text()).arg(i));
            string << QStringLiteral("    IDS_%1 \"%2.\\tF1\"").arg(i).arg(text());
            rcdata << (i % 5 == 0 ? QStringLiteral("  object B%1: TButton").arg(i)
                                  : QStringLiteral("  Caption = '%1...'").arg(text()));
        }
        const QString name = QStringLiteral("/f%1").arg(f, 2, 10, QChar(u'0'));
        writeFile(root + "/res/menu" + name + ".rc", menu);
        writeFile(root + "/res/dialog" + name + ".rc", dialog);
        writeFile(root + "/res/string" + name + ".rc", string);
        writeFile(root + "/res/rcdata" + name + ".txt", rcdata);
    }
    // Dictionaries: each knows about a third of the phrases, with traps: longer
    // sources that merely begin with a phrase come first, case variants repeat
    // entries, and now and then a translation row begins with a later source.
    for (int d = 0; d < 3; ++d) {
        QStringList lines;
        int n = 0;
        while (lines.size() < 2 * dictionaryEntries) {
            const int p =
                2 * ((n * 3 + d) % (phraseCount / 2)); // each dictionary a third of the even phrases
            ++n;
            if (n % 9 == 0)
                lines << phrase(p) + QStringLiteral(" and more") << russian(p) + QStringLiteral(" и ещё");
            if (n % 97 == 0)
                lines << phrase(p).toUpper() << russian(p).toUpper();
            if (n % 1013 == 0)
                lines << QStringLiteral("Trap %1").arg(n) << phrase(p + 3);
            lines << phrase(p) << russian(p);
        }
        lines = lines.mid(0, 2 * dictionaryEntries);
        writeFile(root + QStringLiteral("/work/d%1.dic").arg(d), lines);
    }
    // The user dictionary: duplicates, several translations, rows in the wrong alphabet.
    QStringList user;
    for (int e = 0; e < dictionaryEntries; ++e) {
        const int p = int(rng.bounded(dictionaryEntries));
        const int kind = e % 50;
        if (kind == 0)
            user << russian(p) << phrase(p); // swapped: both rows in the wrong alphabet
        else if (kind == 1)
            user << phrase(p) << russian(p) + QStringLiteral("а");
        else
            user << phrase(p) << russian(p);
    }
    writeFile(root + "/work/User.dic", user);

    // The settings the measured run uses: the three dictionaries, in this order.
    Settings settings;
    settings.availableDictionaries = dictionaryFileNames(root + "/work");
    for (const QString& name : settings.availableDictionaries)
        settings.marked << name.startsWith(u'd');
    if (auto e = writeSettings(root + "/work", settings)) {
        std::fprintf(stderr, "%s\n", qPrintable(e->message()));
        std::exit(1);
    }
}

} // namespace kvarsel::bench
