#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "components/scores/safe_file.h"
#include "components/scores/score_board.h"
#include "components/scores/score_table.h"
#include "replay/replay_file.h"

// The replays of won entries, one file each in "replays/" beside hs.ini
// (docs/score-files.md). hs.ini itself says nothing of them, as other copies
// of the game share it: a file belongs to a row by its name and flight time.

struct StoredReplay {
  std::string path;
  Replay replay;
};

// The name as the table keeps it, and the very value the entry was stored
// with: a time of 522 is the row 9478, nothing near it.
bool ReplayBelongsTo(const Replay& replay, const ScoreRow& row);

// The date line's text for a moment: "2026-12-08 10:15:03 UTC".
std::string ReplayDateText(std::time_t when);

// A save that did not happen: where it was going and why not.
class ReplaySaveError : public SaveError {
 public:
  ReplaySaveError(const std::string& path, const std::string& reason)
      : SaveError(path + ": " + reason), path_(path), reason_(reason) {}
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

class ReplayStore {
 public:
  // `tablePath` is hs.ini's path; its lock is the store's lock too, so two
  // copies of the game never pick one name or tidy each other's saves.
  ReplayStore(const std::string& tablePath, FileOps& ops);

  const std::string& Folder() const { return folder_; }

  // Saves the replay as a new file, named from `when` (UTC) and its flight
  // time: 20261208-101503-522.txt, or -2, -3... when that is taken. The
  // folder is made (private) here, at the first save. Returns the path;
  // throws ReplaySaveError, with nothing left behind, when it cannot.
  std::string Save(const Replay& replay, std::time_t when);

  // Every replay in the folder, oldest first. A file that does not read is
  // named once on stderr and left where it is.
  std::vector<StoredReplay> List() const;

  // Throws SaveError naming the file and the reason.
  void Remove(const std::string& path);

 private:
  void RemoveLeftoverTemps();

  std::string tablePath_;
  std::string folder_;
  FileOps& ops_;
};

// The replay of row `row` (1 to 10) of the table, when one is kept. Of rows
// equal in value and name, the higher one was entered first and has the
// older file.
std::optional<StoredReplay> ReplayOfRow(ScoreBoard& scores, const ReplayStore& store, int16_t row);
// The replay of the best row that has one.
std::optional<StoredReplay> BestReplay(ScoreBoard& scores, const ReplayStore& store);
