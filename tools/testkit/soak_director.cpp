#include "testkit/soak_director.h"

#include <vector>

#include "core/game.h"
#include "flight/flight.h"

namespace {

KeySet Keys(std::initializer_list<int32_t> codes) {
  KeySet keys;
  for (int32_t code : codes) keys.set(static_cast<std::size_t>(code));
  return keys;
}

// Every key the name entry types, in the key table's order (Left Shift is not
// one: Shift + S takes a screenshot, which a soak must not scatter over the
// disk).
const std::vector<int32_t>& NameKeys() {
  static const std::vector<int32_t> keys = [] {
    std::vector<int32_t> typing;
    for (const KeyEntry& k : kKeyTable)
      if (k.typed) typing.push_back(k.code);
    return typing;
  }();
  return keys;
}

// Flight keys a restless player mashes: thrusters, the parachute, the cheat
// chords. S (screenshot) is left out on purpose.
KeySet RandomFlightKeys(int64_t pick) {
  switch (pick) {
    case 0: return Keys({key::kUp});
    case 1: return Keys({key::kLeft});
    case 2: return Keys({key::kRight});
    case 3: return Keys({key::kUp, key::kLeft});
    case 4: return Keys({key::kUp, key::kRight});
    case 5: return Keys({key::kSpace});
    case 6: return Keys({key::kDown});
    case 7: return Keys({chord::kRefuelA, chord::kRefuelB});
    case 8: return Keys({chord::kRepairA, chord::kRepairB, key::kUp});
    default: return {};
  }
}

}  // namespace

SoakDirector::SoakDirector(const Game& game, uint64_t seed, const InputScript* opening)
    : g_(game), rng_(seed), opening_(opening), inOpening_(opening != nullptr) {}

int64_t SoakDirector::Between(int64_t low, int64_t high) {
  return low + static_cast<int64_t>(rng_.Next32() % static_cast<uint32_t>(high - low + 1));
}

bool SoakDirector::Chance(int percent) { return Between(1, 100) <= percent; }

void SoakDirector::Hold(KeySet keys, int64_t passes) {
  if (passes > 0) plan_.push_back(Segment{keys, passes});
}

void SoakDirector::Tap(int32_t code, int64_t releasePasses) {
  Hold(Keys({code}), 1);
  Hold({}, releasePasses < 1 ? 1 : releasePasses);
}

void SoakDirector::Idle(int64_t passes) { Hold({}, passes); }

KeySet SoakDirector::Next(int64_t pass) {
  const Screen screen = g_.Shell.GameState;
  if (screen != screen_) Notice(screen);
  ++tally_.passesOn[screen];

  KeySet keys;
  if (inOpening_ && (screen == Screen::kMenu || screen == Screen::kGame) &&
      pass <= opening_->TotalPasses()) {
    keys = opening_->KeysForPass(pass);
  } else {
    inOpening_ = false;
    if (screen == Screen::kGame && --flightPassesLeft_ <= 0) EndFlight();
    if (plan_.empty()) {
      if (screen == Screen::kMenu)
        PlanMenu();
      else if (screen == Screen::kGame)
        keys = FlightKeys();
      else if (screen == Screen::kNameEntry)
        PlanNameEntry();
      else if (screen == Screen::kHighScores)
        PlanTable();
    }
    if (!plan_.empty()) {
      keys = plan_.front().keys;
      if (--plan_.front().passes <= 0) plan_.pop_front();
    }
  }
  // A tap key held over from the last pass would not count as a new press.
  for (int32_t tap : {key::kSpace, key::kEscape, key::kReturn, key::kDown})
    if (keys.test(static_cast<std::size_t>(tap)) && previous_.test(static_cast<std::size_t>(tap)))
      keys.reset(static_cast<std::size_t>(tap));
  previous_ = keys;
  return keys;
}

// A new screen: count how the last one ended and forget its plan.
void SoakDirector::Notice(Screen screen) {
  const RoundState& r = g_.Round;
  if (screen_ == Screen::kGame) {
    if (r.RoundFinished)
      ++tally_.wins;
    else if (r.Health <= 0)
      ++tally_.crashes;
    else
      ++tally_.givenUp;
  }
  if (screen_ == Screen::kNameEntry) ++tally_.namesTyped;
  if (screen_ == Screen::kMenu && screen == Screen::kHighScores) ++tally_.tablesFromMenu;
  if (screen == Screen::kGame) {
    ++tally_.rounds;
    PlanFlight();
  } else {
    plan_.clear();
    pilot_.reset();
  }
  if (screen == Screen::kMenu) {
    startPressed_ = false;
    Idle(Between(0, 90));
  }
  screen_ = screen;
}

// One menu action at a time, planned from the button lit now; only our own
// taps move it, so the plan knows where it ends. Nothing ever lands on
// "exit": Escape only away from it, Return only on "new game" or "high
// scores".
void SoakDirector::PlanMenu() {
  if (startPressed_) {  // the menu fades out into the flight
    Idle(1);
    return;
  }
  const int16_t choice = g_.Menu.MenuChoice;
  const int64_t roll = Between(1, 100);
  if (roll <= 30) {
    Tap(Chance(50) ? key::kUp : key::kDown, Between(1, 15));
  } else if (roll <= 40) {
    if (choice != 2)
      Tap(key::kEscape, Between(1, 20));
    else
      Tap(key::kDown, Between(1, 5));  // from exit round to new game
  } else if (roll <= 55) {
    ChooseButton(choice, 1);  // the table
  } else {
    ChooseButton(choice, 0);
    startPressed_ = true;
  }
}

// Moves from button `from` to `to` the short way round (Down goes to the
// next one, wrapping) and presses Return there.
void SoakDirector::ChooseButton(int16_t from, int16_t to) {
  const int steps = (to - from + 3) % 3;
  if (steps == 1) Tap(key::kDown, Between(1, 10));
  if (steps == 2) Tap(key::kUp, Between(1, 10));
  Tap(key::kReturn, 1);
}

void SoakDirector::PlanFlight() {
  plan_.clear();
  pilot_.reset();
  const int64_t roll = Between(1, 100);
  endingKey_ = 0;
  flightPassesLeft_ = 6000;  // a round that will not end by itself is given up
  if (roll <= 50) {
    mode_ = FlightMode::kPilot;
    PilotPlan plan;
    plan.openMargin = Chance(50) ? 1.05 : 1.2;
    plan.climbTo = Chance(50) ? 104 : 110;
    plan.brake = Chance(50) ? 0.035 : 0.045;
    plan.hopFuel = Chance(50) ? 14 : 18;
    plan.climbFuel = Chance(50) ? 60 : 66;  // the golden 46 runs dry while sending from most starts
    pilot_ = std::make_unique<Autopilot>(g_, Mission::kWin, plan);
    ++tally_.piloted;
    // Now and then a good flight is thrown away: Escape or Return mid-air.
    if (Chance(10)) {
      flightPassesLeft_ = Between(1, 1500);
      endingKey_ = Chance(50) ? key::kEscape : key::kReturn;
    }
  } else if (roll <= 65) {
    mode_ = FlightMode::kHandsOff;  // falls, burns, crashes
  } else {
    mode_ = FlightMode::kRandom;
    flightPassesLeft_ = Between(1, 2500);
    endingKey_ = Chance(60) ? key::kEscape : (Chance(50) ? key::kReturn : 0);
    if (endingKey_ == 0) flightPassesLeft_ = 6000;
  }
}

void SoakDirector::PlanRandomFlight(int64_t passes) {
  const int64_t pick = Between(0, 12);
  Hold(RandomFlightKeys(pick), pick == 5 || pick == 6 ? 1 : Between(1, passes));
  Idle(Between(0, 20));
}

// The flight has lasted its planned passes: Escape gives it up, Return
// starts the next round at once.
void SoakDirector::EndFlight() {
  const int32_t ending = endingKey_ ? endingKey_ : key::kEscape;
  plan_.clear();
  if (ending == key::kReturn) {
    ++tally_.restarts;
    ++tally_.rounds;
    PlanFlight();  // for the round the Return starts
    plan_.push_front(Segment{Keys({ending}), 1});
  } else {
    flightPassesLeft_ = int64_t{1} << 40;  // the menu comes next
    Tap(ending, 1000);
  }
}

KeySet SoakDirector::FlightKeys() {
  switch (mode_) {
    case FlightMode::kPilot: return pilot_->Fly();
    case FlightMode::kHandsOff: return {};
    case FlightMode::kRandom: PlanRandomFlight(60); return {};
  }
  return {};
}

// A name of random keys, sometimes none (an empty name is stored as "I'm
// lazy!"), sometimes longer than the 19 characters the table keeps;
// Backspace held now and then; confirmed by Return or Escape.
void SoakDirector::PlanNameEntry() {
  // The entry starts from the name typed last time; often it is rubbed out
  // first, sometimes down to nothing.
  if (Chance(40)) Hold(Keys({key::kBackspace}), Between(1, 40));
  const int64_t length = Chance(10) ? 0 : (Chance(5) ? Between(33, 45) : Between(1, 14));
  for (int64_t i = 0; i < length; ++i) {
    const std::vector<int32_t>& typing = NameKeys();
    Tap(typing[static_cast<std::size_t>(Between(0, static_cast<int64_t>(typing.size()) - 1))],
        Between(1, 8));
    if (Chance(8)) {
      Hold(Keys({key::kBackspace}), Between(1, 4));
      Idle(1);
    }
  }
  Idle(Between(0, 30));
  Tap(Chance(50) ? key::kReturn : key::kEscape, 1);
  Idle(1000);  // until the table shows
}

void SoakDirector::PlanTable() {
  Idle(Between(5, 200));
  Tap(Chance(50) ? key::kReturn : key::kEscape, 1);
  Idle(1000);  // until the menu shows
}
