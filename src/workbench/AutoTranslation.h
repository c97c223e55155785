#pragma once
// Automatic translation: one pass per connected dictionary over every loaded
// text, earlier dictionaries winning, the user dictionary back in memory at the end.

#include "project/Project.h"
#include "text/FileError.h"

#include <functional>

namespace kvarsel {

struct AutoTranslationCallbacks {
    std::function<void(qsizetype maximum)> progressMaximum;
    std::function<void(qsizetype value)> progressValue;
    // After each dictionary load and at most every 36th row (and no more often than
    // every 30 ms), so painting never dominates a large run.
    std::function<void()> repaint;
    // What the window's status panels show meanwhile: the dictionary in memory
    // (panel 7) and the step the run is at (panel 8).
    std::function<void(const QString& text)> dictionaryStatus;
    std::function<void(const QString& text)> step;
};

struct AutoTranslationResult {
    bool ran = false;                        // false: the user dictionary could not be saved first
    FileErrors errors;                       // dictionaries that could not be read, or the failed save
    QList<qsizetype> translatedByDictionary; // rows each pass translated, in connected order
    qsizetype textsLookedUp = 0;             // non-empty texts of the first pass
    // Texts beginning with an ASCII character (the ones looked up) that no pass
    // changed: in the end each still reads as it was loaded.
    qsizetype untranslatedRows = 0;
    // Rows left untranslated because every translation found for them holds a
    // character their script's encoding lacks (a UTF-8 dictionary, a Windows-1251
    // script); recording one would make the whole script impossible to save.
    qsizetype unstorableRows = 0;
    QString firstUnstorableScript; // the path of the first such row's script
};

// The passes never replace the dictionary in memory. At the end the window has the
// user dictionary loaded from User.dic again unless memory still equals the file;
// a caller that never uses the user dictionary (a batch run) leaves it as it is.
enum class UserDictionaryAtEnd { Reload, Leave };

// `userDictionaryFirst` names dictionary 0 "Пользовательский словарь" in panel 7.
AutoTranslationResult runAutomaticTranslation(Project& state, bool userDictionaryFirst,
                                              const AutoTranslationCallbacks& callbacks = {},
                                              UserDictionaryAtEnd atEnd = UserDictionaryAtEnd::Reload);

// What the window and kvarsel-batch say about result.unstorableRows; empty when there are none.
QString unstorableRowsText(const AutoTranslationResult& result);

// The text panel 8 shows while a kind is translated: "Перевод Menu", ...
QString translatingKindText(ResourceKind kind);

} // namespace kvarsel
