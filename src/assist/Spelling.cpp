#include "assist/Spelling.h"

#include "assist/SoftwareTermsText.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <hunspell/hunspell.h>

namespace kvarsel {

namespace {

bool isCyrillic(QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF; }

// Past a printf-style placeholder starting at `i` (the "%"): flags, width, precision,
// length and the conversion letter; "%1" and "%%" too.
qsizetype skipPercent(QStringView text, qsizetype i)
{
    ++i;
    if (i < text.size() && text[i] == u'%')
        return i + 1;
    while (i < text.size() && QStringView(u"-+ #0123456789.*").contains(text[i]))
        ++i;
    while (i < text.size() && QStringView(u"hlLqjztI").contains(text[i]))
        ++i;
    if (i < text.size() && text[i].isLetter() && text[i].unicode() < 128)
        ++i;
    return i;
}

// Past a "{0}" or "{name}" placeholder starting at `i`; `i` + 1 when it is none.
qsizetype skipBrace(QStringView text, qsizetype i)
{
    qsizetype j = i + 1;
    while (j < text.size() && j - i <= 32 &&
           (text[j].isLetterOrNumber() || QStringView(u"_:,.-").contains(text[j])))
        ++j;
    return j < text.size() && text[j] == u'}' && j > i + 1 ? j + 1 : i + 1;
}

bool isMark(QStringView text, qsizetype i)
{
    return text[i] == u'&' && i + 1 < text.size() && text[i + 1].isLetter();
}

} // namespace

QList<TextWord> russianWords(QStringView text)
{
    QList<TextWord> words;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\\') {
            i += 2; // the escape and the letter it escapes
            continue;
        }
        if (c == u'%') {
            i = skipPercent(text, i);
            continue;
        }
        if (c == u'{') {
            i = skipBrace(text, i);
            continue;
        }
        if (!c.isLetterOrNumber() && !isMark(text, i)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        QString word;
        bool digit = false;
        bool latin = false;
        while (i < text.size() && (text[i].isLetterOrNumber() || text[i].isMark() || isMark(text, i))) {
            if (text[i] != u'&') {
                digit = digit || text[i].isDigit();
                latin = latin || (text[i].isLetter() && !isCyrillic(text[i]));
                word += text[i];
            }
            ++i;
        }
        // Words in capitals are abbreviations (ОК, МБ, ЦП) and words with digits are
        // codes: office spell checkers leave both alone by default, and so does this one.
        if (!digit && !latin && !word.isEmpty() && word != word.toLower() && word == word.toUpper())
            continue;
        if (!digit && !latin && !word.isEmpty())
            words.append(TextWord{start, i - start, word});
    }
    return words;
}

SpellingDictionary findSpellingDictionary()
{
    QStringList folders;
    const QString dicPath = qEnvironmentVariable("DICPATH");
    if (!dicPath.isNull())
        folders = dicPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    else
        folders = {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell"),
                   QStringLiteral("/usr/share/myspell/dicts")};
    for (const QString& folder : folders) {
        const QString base = QDir(folder).filePath(QStringLiteral("ru_RU"));
        if (QFileInfo::exists(base + QStringLiteral(".aff")) &&
            QFileInfo::exists(base + QStringLiteral(".dic")))
            return {base, {}};
    }
    return {{},
            QStringLiteral("Проверка орфографии выключена: не найден русский словарь Hunspell ru_RU "
                           "(искали в %1; в Debian его дает пакет hunspell-ru).")
                .arg(QDir::toNativeSeparators(folders.join(QStringLiteral(", "))))};
}

SpellChecker::SpellChecker(const QString& workDir, const SpellingDictionary& dictionary)
    : m_workDir(workDir), m_offReason(dictionary.offReason)
{
    if (!dictionary.basePath.isEmpty()) {
        const QByteArray aff = QFile::encodeName(dictionary.basePath + QStringLiteral(".aff"));
        const QByteArray dic = QFile::encodeName(dictionary.basePath + QStringLiteral(".dic"));
        m_handle = Hunspell_create(aff.constData(), dic.constData());
        // Only a UTF-8 dictionary is asked in UTF-8; Debian's ru_RU is one.
        if (m_handle && QByteArray(Hunspell_get_dic_encoding(m_handle)).toUpper() != "UTF-8") {
            Hunspell_destroy(m_handle);
            m_handle = nullptr;
        }
        if (!m_handle)
            m_offReason = QStringLiteral("Проверка орфографии выключена: словарь Hunspell %1 не удалось "
                                         "прочитать как словарь в UTF-8.")
                              .arg(QDir::toNativeSeparators(dictionary.basePath));
    }
    loadTerms();
    const QString personal = QDir(workDir).filePath(kPersonalWordsFile);
    if (!QFileInfo::exists(personal))
        return;
    const LinesRead read = readLines(personal);
    if (!read.ok()) {
        m_personalError = read.error;
        return;
    }
    // Seen words in a set: asking the list itself would make a long list quadratic to read.
    QSet<QString> seen;
    seen.reserve(read.lines.size());
    m_personal.reserve(read.lines.size());
    for (const QString& line : read.lines) {
        const QString word = line.trimmed();
        if (word.isEmpty() || seen.contains(word))
            continue;
        seen.insert(word);
        m_personal << word;
        if (m_handle)
            Hunspell_add(m_handle, word.toUtf8().constData());
    }
}

void SpellChecker::loadTerms()
{
    QStringList lines;
    const QString own = QDir(m_workDir).filePath(kSoftwareTermsFile);
    if (QFileInfo::exists(own)) {
        const LinesRead read = readLines(own);
        if (!read.ok()) {
            m_termsError = read.error;
            return;
        }
        lines = read.lines;
    } else {
        lines = QString::fromUtf8(kSoftwareTermsText).split(u'\n');
    }
    for (const QString& line : lines) {
        const QString entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith(u'#'))
            continue;
        // "word" or "word model": the word takes the endings Hunspell knows for the model.
        const QStringList parts = entry.split(u' ', Qt::SkipEmptyParts);
        m_terms << parts.first();
        if (!m_handle)
            continue;
        const QByteArray word = parts.first().toUtf8();
        if (parts.size() > 1)
            Hunspell_add_with_affix(m_handle, word.constData(), parts[1].toUtf8().constData());
        else
            Hunspell_add(m_handle, word.constData());
    }
}

SpellChecker::~SpellChecker()
{
    if (m_handle)
        Hunspell_destroy(m_handle);
}

bool SpellChecker::isCorrect(const QString& word) const
{
    if (!m_handle)
        return true;
    if (const auto it = m_known.constFind(word); it != m_known.constEnd())
        return *it;
    // Hunspell knows "ё" words under "е" only when the dictionary lists both; a
    // text that writes "е" for "ё" is the usual Russian spelling and no error.
    const bool known =
        Hunspell_spell(m_handle, word.toUtf8().constData()) != 0 ||
        (word.contains(u'ё') && Hunspell_spell(m_handle, QString(word).replace(u'ё', u'е').toUtf8()) != 0);
    m_known.insert(word, known);
    return known;
}

QList<TextWord> SpellChecker::misspelled(QStringView text) const
{
    QList<TextWord> wrong;
    if (!m_handle)
        return wrong;
    for (const TextWord& w : russianWords(text))
        if (!isCorrect(w.word))
            wrong << w;
    return wrong;
}

QStringList SpellChecker::suggestions(const QString& word) const
{
    QStringList out;
    if (!m_handle)
        return out;
    char** list = nullptr;
    const int n = Hunspell_suggest(m_handle, &list, word.toUtf8().constData());
    for (int i = 0; i < n; ++i)
        out << QString::fromUtf8(list[i]);
    Hunspell_free_list(m_handle, &list, n);
    return out;
}

std::optional<FileError> SpellChecker::addPersonalWord(const QString& word)
{
    if (word.isEmpty() || m_personal.contains(word))
        return std::nullopt;
    // A list that could not be read would lose its words if written now.
    if (m_personalError)
        return m_personalError;
    // Another program (or another window) may have added words since the list was
    // read: the file as it is now is kept, and this run's words go after it.
    const QString path = QDir(m_workDir).filePath(kPersonalWordsFile);
    QStringList lines;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        const LinesRead read = readLines(path);
        if (!read.ok())
            return read.error;
        lines = read.lines;
    }
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    QSet<QString> inFile;
    for (const QString& line : std::as_const(lines))
        inFile.insert(line.trimmed());
    for (const QString& mine : std::as_const(m_added))
        if (!inFile.contains(mine))
            lines << mine;
    if (!inFile.contains(word))
        lines << word;
    if (auto error = writeLines(path, lines, TextEncoding::Utf8))
        return error;
    m_added << word;
    for (const QString& known : std::as_const(inFile))
        if (!known.isEmpty() && !m_personal.contains(known))
            addSessionWord(known);
    addSessionWord(word);
    return std::nullopt;
}

void SpellChecker::addSessionWord(const QString& word)
{
    if (word.isEmpty() || m_personal.contains(word))
        return;
    m_personal << word;
    if (m_handle)
        Hunspell_add(m_handle, word.toUtf8().constData());
    m_known.insert(word, true);
}

QStringList spellingFindings(const SpellChecker& checker, const QString& translation)
{
    QStringList words;
    for (const TextWord& w : checker.misspelled(translation))
        if (!words.contains(w.word))
            words << w.word;
    if (words.isEmpty())
        return {};
    return {QStringLiteral("орфография: ") + QStringLiteral("«%1»").arg(words.join(QStringLiteral("», «")))};
}

} // namespace kvarsel
