#pragma once
#include <string>
#include <vector>

#include "components/media/control_translator.h"
#include "shell/settings.h"

// setup.ini's [keys]: lines "<game key>=<key>[,<key>...]" in the input
// scripts' key names, any letter case ("up=up,w"). The keys listed act as the
// game key on every screen but the name entry. A line that cannot be read is
// left out with one problem naming it; the other lines still count.
KeyBindings ParseKeyBindings(const std::vector<SettingLine>& lines,
                             std::vector<std::string>& problems);
// The bindings of a settings file, each problem said once on stderr.
KeyBindings ReadKeyBindings(const std::string& settingsPath);
