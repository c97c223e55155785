#include "batch/BatchSuggest.h"

#include "dictionary/DictionaryFiles.h"

#include "assist/SuggestionIndex.h"
#include "batch/BatchLoad.h"
#include "batch/BatchTexts.h"
#include "batch/BatchTranslate.h"
#include "dictionary/SearchString.h"
#include "project/Project.h"
#include "settings/SettingsFile.h"
#include "text/CharClass.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <thread>

namespace kvarsel {

QString suggestHelp()
{
    return QStringLiteral("Использование: kvarsel-batch suggest КАТАЛОГ_РЕСУРСОВ [--workdir КАТАЛОГ]\n"
                          "       [--min N] [--limit K]\n"
                          "\n"
                          "Загружает сценарии каталога ресурсов и для каждого текста, который ни один\n"
                          "подключенный словарь не переводит точно, выводит похожие переводы из словаря\n"
                          "пользователя и подключенных словарей, как список \"Похожие переводы\" окна\n"
                          "ручного перевода. Каждый текст выводится один раз; тексты, начинающиеся с\n"
                          "русской буквы, пропускаются.\n"
                          "\n"
                          "Одна строка на каждый похожий перевод, поля разделены табуляцией:\n"
                          "  текст, сходство в процентах, исходный текст, перевод, файл словаря\n"
                          "Сходство - 100 * (1 - d / длина более длинной фразы), с округлением вниз,\n"
                          "где d - расстояние Левенштейна между фразами без учета регистра. При равном\n"
                          "сходстве раньше идет словарь, стоящий раньше в списке подключенных, затем\n"
                          "более ранняя строка.\n"
                          "\n"
                          "  --workdir КАТАЛОГ   рабочий каталог со словарями и velmora.ini\n"
                          "                      (по умолчанию текущий каталог)\n"
                          "  --min N             наименьшее сходство, от 0 до 100 (по умолчанию 60)\n"
                          "  --limit K           сколько похожих переводов выводить на текст\n"
                          "                      (по умолчанию 3)\n"
                          "  --help              эта справка\n"
                          "\n"
                          "Ничего не записывает. Код завершения 1: не прочитан сценарий, словарь или\n"
                          "файл настроек (остальное все равно используется).\n");
}

QStringList textsWithoutExactTranslation(const Project& state, const SuggestionIndex& index)
{
    QStringList texts;
    QSet<QString> seen;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = state.store(kind);
        for (qsizetype i = 0; i < store.RowCount(); ++i) {
            const QString& text = store.Text(i);
            if (text.isEmpty() || isNonAscii(text.front()) || seen.contains(text))
                continue;
            seen.insert(text);
            texts << text;
        }
    }
    // The lookup of automatic translation decides what counts as translated.
    for (qsizetype rank = 0; rank < index.dictionaryCount(); ++rank) {
        if (!index.isConnected(rank))
            continue;
        CurrentDictionary dictionary;
        dictionary.Assign(index.rowsOf(rank));
        texts.removeIf([&dictionary](const QString& t) { return SearchString(dictionary, t).found; });
    }
    return texts;
}

QStringList suggestionLines(const SuggestionIndex& index, const QStringList& texts, int limit, int minimum)
{
    std::vector<QStringList> lines(size_t(texts.size()));
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype t = next++; t < texts.size(); t = next++) {
            for (const Suggestion& s : index.suggest(texts[t], limit, minimum))
                lines[size_t(t)] << QStringList{texts[t], QString::number(s.similarity), s.source,
                                                s.translation, s.dictionary}
                                        .join(QChar(9));
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> pool;
    for (unsigned i = 1; i < threads; ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    QStringList out;
    for (QStringList& l : lines)
        out << l;
    return out;
}

int runSuggest(const BatchCommand& command, BatchConsole& console)
{
    const auto usage = [&console](const QString& problem) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") + problem);
        return kExitUsage;
    };
    if (const QString problem = checkResourceDirectory(command.resourceDir); !problem.isEmpty())
        return usage(problem);
    if (!QFileInfo(command.workDir).isDir())
        return usage(batch_texts::workDirMissing(command.workDir));

    Project state(command.workDir);
    ConnectedSetup setup = connectDictionaries(state, {});
    // Suggestions come from the user dictionary in memory too, as in the window.
    if (!setup.userDictionaryError && !findUserDictionary(state.workDir()).isEmpty())
        setup.userDictionaryError = LoadUserDictionary(state.workDir(), state.dictionary());
    if (setup.settingsError) {
        console.err(batch_texts::kSettingsNotRead + QChar(10) + setup.settingsError->message());
        return kExitFileError;
    }
    if (setup.noDictionaryFiles)
        return usage(batch_texts::kNoDictionaryFiles +
                     QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(command.workDir)));
    int status = kExitOk;
    if (setup.userDictionaryError) {
        console.err(batch_texts::kUserDictionaryNotRead + QChar(10) + setup.userDictionaryError->message());
        status = kExitFileError;
    }
    // The run goes on with the dictionaries there are, and says it was not the whole set.
    if (!setup.missingDictionaries.isEmpty()) {
        console.err(batch_texts::kProgram + QStringLiteral(": ") +
                    missingDictionariesText(setup.missingDictionaries));
        status = kExitFileError;
    }
    if (state.connectedDictionaries().isEmpty())
        console.err(batch_texts::kNothingConnected);

    const LoadResult loaded = loadWithProgress(command, state, console);
    if (!loaded.errors.isEmpty()) {
        reportFailures(console, batch_texts::kScriptsNotRead, loaded.errors);
        status = kExitFileError;
    }
    SuggestionIndex& index = state.suggestions();
    const FileErrors unread =
        index.refresh(state.workDir(), state.connectedDictionaries(), state.dictionary());
    if (!unread.isEmpty()) {
        reportFailures(console, batch_texts::kDictionariesNotRead, unread);
        status = kExitFileError;
    }
    const QStringList lines =
        suggestionLines(index, textsWithoutExactTranslation(state, index), command.limit, command.minimum);
    if (!lines.isEmpty())
        console.out(lines.join(QChar(10)));
    return status;
}

} // namespace kvarsel
