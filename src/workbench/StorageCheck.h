#pragma once
// Which files a translation is bound for, and whether they can hold it. A box that
// takes a translation asks here before it accepts one, so a character is refused
// only when a file it will be written to cannot hold it, and the user is told which.

#include "project/Project.h"
#include "text/Encoding.h"
#include "text/LineText.h"

#include <optional>

namespace kvarsel {

// User.dic as it will be written: its path (the new one's when there is none yet) and
// the encoding it was read in; no encoding for a User.dic still to be created.
StorageTarget userDictionaryTarget(const Project& state);

// The files a translation of `phrase` goes to: User.dic, and every loaded script
// holding a row whose text equals the phrase ignoring case, each once.
QList<StorageTarget> translationTargets(const Project& state, const QString& phrase);

// The first character of `translation` that one of those files cannot hold.
std::optional<Unstorable> unstorableTranslation(const Project& state, const QString& phrase,
                                                const QString& translation);

// What a translation window's "OK" refuses in a translation of `phrase`: a line break,
// else a character a file it goes to cannot hold; empty when neither. The windows'
// check panels list it while the user types.
QString translationRefusal(const Project& state, const QString& phrase, const QString& translation);

// The first character of `text` that User.dic cannot hold: for boxes that write
// only the user dictionary (its editor and optimiser).
std::optional<Unstorable> unstorableInUserDictionary(const Project& state, const QString& text);

// The refusal the box shows: the character, its code, the file and its encoding.
QString unstorableText(const QString& translation, const Unstorable& unstorable,
                       LineTextRole role = LineTextRole::Translation);

// For the boxes that write one row of the user dictionary (its editor and optimiser):
// a line break, or a character User.dic's encoding cannot hold; empty when neither.
QString userDictionaryRowProblem(const CurrentDictionary& dictionary, const QString& text);

} // namespace kvarsel
