#include "core/trace.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/game.h"

namespace {

// Nine significant digits bring every single back bit for bit. The program
// never calls setlocale, so printf runs in the "C" locale; should a library
// switch it anyway, its decimal mark is put back to '.' so traces from any
// machine still compare byte for byte.
void AppendReal(std::string& row, float value) {
  char buffer[48];
  const int length = std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  if (length <= 0) return;
  std::string text(buffer, static_cast<std::size_t>(length) < sizeof buffer
                               ? static_cast<std::size_t>(length)
                               : sizeof buffer - 1);
  const char* mark = std::localeconv()->decimal_point;
  if (mark != nullptr && std::strcmp(mark, ".") != 0 && mark[0] != '\0') {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, std::strlen(mark), 1, '.');
  }
  row += ',';
  row += text;
}

void AppendInt(std::string& row, int64_t value) {
  row += ',';
  row += std::to_string(value);
}

void AppendBool(std::string& row, bool value) { row += value ? ",1" : ",0"; }

}  // namespace

std::string TraceHeader() {
  return "pass,state,FrameCount,LanderX,LanderY,SpeedX,SpeedY,Height,Fuel,Health,CameraY,"
         "FlightTime,TickCountdown,SendTicksLeft,OnGround,ParachuteOpen,ParachuteReleased,"
         "ParachuteUnfold,ParachuteSwing,LanderOpened,OpenFrame,OpenFrameTimer,OpenProgress,"
         "PadVisited1,PadVisited2,PadVisited3,DataCollected,RoundFinished,RoundLost,"
         "ExplosionTime,MenuChoice,StartFade,NewEntryRank,PlayerName\n";
}

std::string CsvQuote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string TraceRow(int64_t pass, Screen screen, const Game& game) {
  const ShellState& shell = game.Shell;
  const RoundState& round = game.Round;
  std::string row = std::to_string(pass);
  // Screen names are plain words, written bare.
  row += ',';
  row += ScreenName(screen);
  AppendReal(row, shell.FrameCount);
  AppendReal(row, round.LanderX);
  AppendReal(row, round.LanderY);
  AppendReal(row, round.SpeedX);
  AppendReal(row, round.SpeedY);
  AppendReal(row, round.Height);
  AppendReal(row, round.Fuel);
  AppendReal(row, round.Health);
  AppendReal(row, round.CameraY);
  AppendReal(row, round.FlightTime);
  AppendInt(row, round.TickCountdown);
  AppendInt(row, round.SendTicksLeft);
  AppendBool(row, round.OnGround);
  AppendBool(row, round.ParachuteOpen);
  AppendBool(row, round.ParachuteReleased);
  AppendReal(row, round.ParachuteUnfold);
  AppendReal(row, round.ParachuteSwing);
  AppendBool(row, round.LanderOpened);
  AppendInt(row, round.OpenFrame);
  AppendInt(row, round.OpenFrameTimer);
  AppendReal(row, round.OpenProgress);
  AppendBool(row, round.PadVisited[0]);
  AppendBool(row, round.PadVisited[1]);
  AppendBool(row, round.PadVisited[2]);
  AppendBool(row, round.DataCollected);
  AppendBool(row, round.RoundFinished);
  AppendBool(row, round.RoundLost);
  AppendReal(row, round.ExplosionTime);
  AppendInt(row, game.Menu.MenuChoice);
  AppendReal(row, game.Menu.StartFade);
  AppendInt(row, game.HighScores.NewEntryRank);
  row += ',';
  row += CsvQuote(game.HighScores.PlayerName);
  row += '\n';
  return row;
}
