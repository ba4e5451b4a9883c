#pragma once
#include <cstdint>
#include <ctime>
#include <string>

// Where screenshots go and what they are called. No SDL here: these are
// plain rules over names and the environment.

// "<folder>/frame_000042.png": the frames a test run asked for by pass.
std::string PassScreenshotPath(const std::string& folder, int64_t pass);

// "kestrevan-20261206-210455-042.png": the S key's shot, named by local time
// so shots sort by when they were taken and never overwrite each other.
std::string HotkeyScreenshotFileName(const std::tm& localTime, int milliseconds);

// The environment the user's screenshot folder is chosen from (null = unset).
struct ScreenshotEnvironment {
  const char* xdgPicturesDir = nullptr;
  const char* home = nullptr;
  const char* xdgDataHome = nullptr;
  const char* xdgConfigHome = nullptr;
};
ScreenshotEnvironment CurrentScreenshotEnvironment();

// XDG_PICTURES_DIR of a user-dirs.dirs file, the way the desktop writes it
// (`XDG_PICTURES_DIR="$HOME/Pictures"`, or an absolute path). Empty when the
// file does not name one, names one another way, or names the home folder
// itself, which is how the desktop says the folder is turned off.
std::string PicturesFromUserDirs(const std::string& text, const std::string& home);

// The Pictures folder as the desktop defines it in user-dirs.dirs (in
// $XDG_CONFIG_HOME, else ~/.config), else $XDG_PICTURES_DIR, else
// $HOME/Pictures when it exists, else the game's own data folder
// ($XDG_DATA_HOME or ~/.local/share, then kestrevan/screenshots). Empty when
// nothing is known at all (no HOME): the shot goes to the current folder.
std::string UserScreenshotFolder(const ScreenshotEnvironment& env);
