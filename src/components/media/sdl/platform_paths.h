#pragma once
#include <string>

// Where things live on this platform. Plain strings out, so the shell needs
// no platform headers.

// The folder of the running executable, with a trailing separator removed.
std::string ExecutableFolder();
// The user's home: $HOME, else what the password database says; "" when
// neither knows.
std::string HomeFolder();
// The user's folder for this game's settings ($XDG_CONFIG_HOME/kestrevan,
// %APPDATA%\kestrevan, ~/Library/Application Support/kestrevan).
std::string UserConfigFolder();
// The user's folder for this game's data (scores). Both are "" when the
// home folder is unknown.
std::string UserDataFolder();
