#include "settings/SettingsStartUp.h"

#include "dictionary/DictionaryFiles.h"

namespace kvarsel {

std::optional<FileError> applySettingsLoad(const SettingsLoad& load, Project& state)
{
    state.setConnectedDictionaries(load.connectedDictionaries);
    state.setSettings(load.settings);
    std::optional<FileError> error;
    if (load.settings.userDictionaryExists) {
        error = LoadUserDictionary(state.workDir(), state.dictionary());
        state.setMode(TranslationMode::Manual);
    }
    // Panel 1 follows the check box after each line of the file; an empty or
    // missing file leaves it empty, which counts as "do not hide".
    if (load.linesRead > 0)
        state.setHideMode(load.settings.autoHideTranslateString ? HideMode::Hide : HideMode::Show);
    return error;
}

} // namespace kvarsel
