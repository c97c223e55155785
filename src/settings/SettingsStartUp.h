#pragma once
// What reading the settings at start does to the working state.

#include "project/Project.h"
#include "settings/SettingsFile.h"

namespace kvarsel {

// Connects the dictionaries the settings file names, loads the user dictionary
// when it exists, and sets panels 1, 7 and 8. Returns a failure to read the user
// dictionary, if any (the program goes on with what could be read).
std::optional<FileError> applySettingsLoad(const SettingsLoad& load, Project& state);

} // namespace kvarsel
