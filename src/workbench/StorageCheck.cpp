#include "workbench/StorageCheck.h"

#include "dictionary/DictionaryFiles.h"
#include "workbench/Propagation.h"

#include <QDir>
#include <QSet>

namespace kvarsel {

StorageTarget userDictionaryTarget(const Project& state)
{
    const QString existing = findUserDictionary(state.workDir());
    if (existing.isEmpty())
        return {QDir(state.workDir()).filePath(QStringLiteral("User.dic")), std::nullopt};
    return {existing, state.dictionary().fileEncoding()};
}

QList<StorageTarget> translationTargets(const Project& state, const QString& phrase)
{
    QList<StorageTarget> targets{userDictionaryTarget(state)};
    if (phrase.isEmpty())
        return targets;
    QSet<QString> seen;
    for (const ResourceKind kind : kAllKinds) {
        const LineStore& store = state.store(kind);
        // Rows before the first marker belong to no file; none exist after a load.
        for (const LineStore::Script& script : store.scripts()) {
            if (seen.contains(script.path))
                continue;
            for (qsizetype i = script.markerRow + 1; i < script.endRow; ++i) {
                if (takesTranslationOf(store, i, phrase)) {
                    seen.insert(script.path);
                    targets.append({script.path, script.encoding});
                    break;
                }
            }
        }
    }
    return targets;
}

std::optional<Unstorable> unstorableTranslation(const Project& state, const QString& phrase,
                                                const QString& translation)
{
    // Every encoding holds what Windows-1251 holds; only then is it worth a walk over
    // the loaded rows, which the check panels would otherwise make at every key.
    if (!findUnstorable(translation, {{QString(), TextEncoding::Windows1251}}))
        return std::nullopt;
    return findUnstorable(translation, translationTargets(state, phrase));
}

QString translationRefusal(const Project& state, const QString& phrase, const QString& translation)
{
    if (QString problem = lineTextProblem(translation, LineTextRole::Translation); !problem.isEmpty())
        return problem;
    if (const auto bad = unstorableTranslation(state, phrase, translation))
        return unstorableText(translation, *bad);
    return QString();
}

std::optional<Unstorable> unstorableInUserDictionary(const Project& state, const QString& text)
{
    return findUnstorable(text, {userDictionaryTarget(state)});
}

QString unstorableText(const QString& translation, const Unstorable& unstorable, LineTextRole role)
{
    const QChar c = translation[unstorable.index];
    const QString what = c.isSurrogate() ? QStringLiteral("непарный суррогат (%1)").arg(characterCode(c))
                                         : QStringLiteral("символ «%1» (%2)").arg(c).arg(characterCode(c));
    const bool row = role == LineTextRole::DictionaryRow;
    return QStringLiteral("%1 содержит %2, который нельзя сохранить в кодировке %3 файла\n«%4».\n%5")
        .arg(row ? QStringLiteral("Строка словаря") : QStringLiteral("Перевод"), what,
             encodingName(unstorable.encoding), QDir::toNativeSeparators(unstorable.path),
             row ? QStringLiteral("Исправьте строку.") : QStringLiteral("Исправьте перевод."));
}

QString userDictionaryRowProblem(const CurrentDictionary& dictionary, const QString& text)
{
    const QString problem = lineTextProblem(text, LineTextRole::DictionaryRow);
    if (!problem.isEmpty())
        return problem;
    // The editor and the optimiser work on the dictionary that was read from User.dic,
    // in that file's encoding; a User.dic still to be created takes any character.
    if (const auto bad = findUnstorable(text, {{QStringLiteral("User.dic"), dictionary.fileEncoding()}}))
        return unstorableText(text, *bad, LineTextRole::DictionaryRow);
    return QString();
}

} // namespace kvarsel
