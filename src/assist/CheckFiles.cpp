#include "assist/CheckFiles.h"

#include "assist/Spelling.h"
#include "assist/TranslationChecks.h"
#include "deferred/EscapeSpacing.h"
#include "dictionary/DictionaryFiles.h"
#include "text/TextFile.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace kvarsel {

CheckedFile checkFile(const QString& path, SpellChecker* spelling)
{
    // Hunspell takes a tenth of a second for a word's suggestions; a dictionary
    // repeats its misspellings.
    QHash<QString, QStringList> suggested;
    CheckedFile result;
    const LinesRead read = readLines(path);
    if (!read.ok()) {
        result.error = read.error;
        return result;
    }
    const QString name = QFileInfo(path).fileName();
    const bool dictionary = name.endsWith(QStringLiteral(".dic"), Qt::CaseInsensitive);
    const bool user = isUserDictionaryFile(name);
    struct Line {
        qsizetype number;
        QString text;
    };
    QList<Line> lines;
    for (qsizetype i = 0; i < read.lines.size(); ++i) {
        const QString& text = read.lines[i];
        if (text.isEmpty() && !user)
            continue;
        lines.append({i + 1, dictionary ? text : unspaceEscapes(text)});
    }
    // A last source without its translation line is checked as an empty translation.
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        CheckedPair pair{
            lines[i].number, lines[i].text, i + 1 < lines.size() ? lines[i + 1].text : QString(), {}, {}};
        // An empty row of the user dictionary is no entry: the lookup never reaches it.
        if (pair.source.isEmpty())
            continue;
        pair.findings = checkTranslation(pair.source, pair.translation);
        if (spelling) {
            for (const TextWord& w : spelling->misspelled(pair.translation)) {
                if (std::any_of(pair.misspellings.cbegin(), pair.misspellings.cend(),
                                [&w](const Misspelling& m) { return m.word == w.word; }))
                    continue;
                auto it = suggested.find(w.word);
                if (it == suggested.end())
                    it = suggested.insert(w.word, spelling->suggestions(w.word));
                pair.misspellings.append({w.word, *it});
            }
        }
        if (!pair.findings.isEmpty() || !pair.misspellings.isEmpty())
            result.pairs.append(pair);
    }
    return result;
}

QString findingLine(const QString& file, const CheckedPair& pair, const QString& finding)
{
    return QStringLiteral("%1:%2: %3: %4 → %5")
        .arg(file, QString::number(pair.line), finding, pair.source, pair.translation);
}

QString spellingLine(const QString& file, const CheckedPair& pair, const Misspelling& misspelling)
{
    return QStringLiteral("%1:%2: орфография: «%3» → %4")
        .arg(file, QString::number(pair.line), misspelling.word,
             misspelling.suggestions.isEmpty() ? QStringLiteral("нет предложений")
                                               : misspelling.suggestions.join(QStringLiteral(", ")));
}

} // namespace kvarsel
