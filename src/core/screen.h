#pragma once
#include <array>
#include <cstddef>

// The screen the main loop dispatches on. kNone is what a game holds before
// start-up first shows the menu: a pass on it only counts frames.
enum class Screen { kNone, kGame, kMenu, kNameEntry, kHighScores };

// Each screen's name as a trace writes it, in the order of the enum. The
// golden traces hold these words: a renamed screen breaks every one of them.
inline constexpr std::array<const char*, 5> kScreenNames = {"", "game", "menu", "hs_getname", "hs"};

constexpr const char* ScreenName(Screen screen) {
  return kScreenNames[static_cast<std::size_t>(screen)];
}
