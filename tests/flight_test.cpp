// A round from its start to its end: set-up, keys, physics, parachute and
// unfolding, touchdown, pads, the clock and the data, the crash, the end.

#include "components/media/key_codes.h"
#include "flight/flight_sections.h"
#include "flight_fixture.h"

namespace {

class Flight : public GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    StartRound();
  }
  // A craft standing, unfolded, at rest on the ground at x.
  void StandAt(float x) {
    RoundState& r = g.Round;
    r.LanderX = x;
    r.LanderY = 8075;
    r.SpeedX = r.SpeedY = 0;
    r.ParachuteReleased = true;
    r.LanderOpened = true;
    r.OpenFrame = 0;
    r.OpenProgress = 100;
    r.Height = 1.5f;
  }
};

TEST_F(Flight, NewRoundStartsEveryRoundFromTheSameState) {
  RoundState& r = g.Round;
  r.Health = -3;
  r.RoundLost = true;
  r.ExplosionTime = 120;
  r.PadVisited = {true, true, false};
  r.Particles[7].Life = 30;
  g.Shell.FrameCount = 999;
  g.Shell.HelpRoundsLeft = 4;
  NewRound(g);  // a fresh round's values are in every golden trace; the leftovers are not
  EXPECT_EQ(r.Health, 100);
  EXPECT_FALSE(r.RoundLost);
  EXPECT_EQ(r.ExplosionTime, 0);
  EXPECT_EQ(r.PadVisited, (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(g.Shell.FrameCount, 0);
  EXPECT_EQ(g.Shell.HelpRoundsLeft, 3);
  for (const auto& p : r.Particles) EXPECT_EQ(p.Life, 0);
  EXPECT_EQ(Sounds(), (std::vector<std::string>{"PlaySound(\"onfire\",True,1,0,0)",
                                                "PlaySound(\"onfire2\",True,1,0,0)",
                                                "StopSound(\"menu\",False)"}));
}

// The golden replay 'alone' checks every state of this flight: the canopy
// below 200 m, the cut at 20 m, the closed craft lost on touchdown, the 260
// crash frames. Its trace holds no sounds and no questions to the table.
TEST_F(Flight, ACraftLeftAloneSoundsEachStageAndIsNotRanked) {
  RunUntil([&] { return g.Shell.GameState != Screen::kGame; });
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
  for (const char* call :
       {"PlaySound(\"parachute_open\",False,100,0,0)", "PlaySound(\"parachute\",True,83,0,0)",
        "SetSoundVolume(\"onfire\",1)", "PlaySound(\"explosion\",False,100,0,0)",
        "PlaySound(\"menu\",True,100,0,0)"})
    EXPECT_TRUE(Called(call)) << call;
  EXPECT_EQ(board.asked.size(), 0u) << "a lost round is not ranked";
}

TEST_F(Flight, UnfoldingFollowsItsTimelineFromTheRelease) {
  RoundState& r = g.Round;
  // Hanging well above the ground, canopy fully out.
  r.LanderY = 2000;
  r.ParachuteOpen = true;
  r.ParachuteUnfold = 200;
  Pass();
  engine.ClearCalls();
  Pass({key::kSpace});  // frame 0
  EXPECT_TRUE(r.ParachuteReleased);
  EXPECT_TRUE(Called("StopSound(\"parachute\",False)"));
  EXPECT_TRUE(Called("PlaySound(\"lander_open\",False,100,0,0)"));
  for (int frame = 1; frame <= 49; ++frame) Pass();
  EXPECT_FALSE(r.LanderOpened);
  Pass({key::kUp});  // frame 50: the up key pressed on this very frame gets its sound
  EXPECT_TRUE(Called("PlaySound(\"thrusters_u\",True,95,0,4)"));
  for (int frame = 51; frame <= 62; ++frame) Pass();
  int sounds = 0;
  for (const auto& c : engine.CallsOf("PlaySound"))
    sounds += c.args.find("lander_open") != std::string::npos;
  EXPECT_EQ(sounds, 1) << "the opening sound plays once";
}

TEST_F(Flight, TouchdownCostsAndTheUnopenedCraft) {
  RoundState& r = g.Round;
  StandAt(200);
  r.OnGround = false;
  r.SpeedY = 2;
  r.Health = 100;
  GroundContact(g);
  EXPECT_FLOAT_EQ(r.Health, 80);
  EXPECT_EQ(r.SpeedY, 0);
  EXPECT_EQ(r.LanderY, 8075);
  EXPECT_TRUE(r.OnGround);

  r.SpeedY = 10;
  r.Health = 100;
  GroundContact(g);
  EXPECT_LE(r.Health, 0);

  // Sliding costs half the sideways speed, friction takes 1/40.
  r.Health = 100;
  r.SpeedX = -0.5f;
  GroundContact(g);
  EXPECT_FLOAT_EQ(r.Health, 99.75f);
  EXPECT_FLOAT_EQ(r.SpeedX, -0.475f);

  // Closed, or still unfolding: lost at any speed.
  for (int16_t frame : {int16_t{3}, int16_t{1}}) {
    r.Health = 100;
    r.SpeedX = 0;
    r.OpenFrame = frame;
    r.LanderOpened = frame < 3;
    GroundContact(g);
    EXPECT_EQ(r.Health, 0) << "OpenFrame " << frame;
  }
  r.Height = 1.6f;
  GroundContact(g);
  EXPECT_FALSE(r.OnGround);
}

TEST_F(Flight, PadsRefuelRepairAndRunThePump) {
  RoundState& r = g.Round;
  StandAt(290);  // pad 2
  r.OnGround = true;
  r.Fuel = 50;
  r.Health = 50;
  LandingPads(g);
  EXPECT_TRUE(r.PadVisited[1]);
  EXPECT_FLOAT_EQ(r.Fuel, 50.1f);
  EXPECT_FLOAT_EQ(r.Health, 50.025f);
  EXPECT_EQ(Sounds(), std::vector<std::string>{"PlaySound(\"fuel\",True,85,0,22)"});
  engine.ClearCalls();
  LandingPads(g);
  EXPECT_TRUE(Sounds().empty()) << "the pump starts once";

  // Nearly full: the last step passes 100 without a new pump, then it stops.
  r.Fuel = 99.95f;
  r.PadFuelSound = {false, false, false};
  LandingPads(g);
  EXPECT_NEAR(r.Fuel, 100.05f, 1e-4);
  EXPECT_TRUE(Sounds().empty());
  LandingPads(g);
  EXPECT_EQ(Sounds(), std::vector<std::string>{"StopSound(\"fuel\",False)"});

  // Pad 1's rates; leaving a pad stops its pump on the first frame off it.
  engine.ClearCalls();
  r.Fuel = 10;
  r.Health = 10;
  r.LanderX = 80;
  LandingPads(g);
  EXPECT_FLOAT_EQ(r.Fuel, 10.05f);
  EXPECT_FLOAT_EQ(r.Health, 10 + 1.0f / 30);
  EXPECT_TRUE(Called("PlaySound(\"fuel\",True,85,0,15)"));
  engine.ClearCalls();
  r.LanderX = 150;
  LandingPads(g);
  EXPECT_EQ(Sounds(), std::vector<std::string>{"StopSound(\"fuel\",False)"});

  // Each pad's ends do not count; a wreck still marks the pad.
  const struct {
    float x;
    int pad;  // -1: none
  } edges[] = {{60, -1},    {60.5f, 0}, {99.5f, 0}, {100, -1},   {270, -1},   {270.5f, 1},
               {309.5f, 1}, {310, -1},  {475, -1},  {475.5f, 2}, {514.5f, 2}, {515, -1}};
  for (const auto& e : edges) {
    r.PadVisited = {false, false, false};
    r.LanderX = e.x;
    r.Health = 0;
    LandingPads(g);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.PadVisited[i], i == e.pad) << e.x;
  }
  EXPECT_EQ(r.Health, 0);
}

TEST_F(Flight, DataIsCollectedOnTheThirdPadAndSentFromOneHundredMetres) {
  RoundState& r = g.Round;
  r.FlightTime = 100;
  r.PadVisited = {true, false, true};
  DataCollection(g);
  EXPECT_FALSE(r.DataCollected);
  EXPECT_EQ(r.SendTicksLeft, 6);
  r.FlightTime = 200;
  r.PadVisited[1] = true;
  DataCollection(g);
  EXPECT_TRUE(r.DataCollected);
  EXPECT_EQ(r.SendTicksLeft, 13);
  r.FlightTime = 400;
  DataCollection(g);
  EXPECT_EQ(r.SendTicksLeft, 13) << "no longer recomputed";

  // Below 100 m the countdown pauses and nothing beeps; the clock still runs.
  r.Height = 99;
  r.TickCountdown = 1;
  engine.ClearCalls();
  TimeStep(g);
  EXPECT_EQ(r.SendTicksLeft, 13);
  EXPECT_EQ(r.FlightTime, 401);
  EXPECT_EQ(engine.CountOf("PlaySound"), 0);
  // At 100 m: a beep every frame, a tick every fourth.
  r.Height = 100;
  for (int i = 0; i < 4; ++i) TimeStep(g);
  EXPECT_EQ(r.SendTicksLeft, 12);
  EXPECT_EQ(engine.CountOf("PlaySound"), 4);
  const std::string beep = engine.CallsOf("PlaySound").at(0).args;
  EXPECT_EQ(beep.rfind("\"key\",False,88,", 0), 0u) << beep;
  // A wreck stops the clock.
  r.Health = 0;
  for (int i = 0; i < 8; ++i) TimeStep(g);
  EXPECT_EQ(r.FlightTime, 402);
  EXPECT_EQ(r.SendTicksLeft, 12);
}

TEST_F(Flight, TheLastTickWinsTheRoundAndAsksForTheRank) {
  RoundState& r = g.Round;
  // The data sent but for the last tick, high enough to send it, at `time`.
  const auto lastTick = [&](float time, int16_t rank) {
    StartRound();
    board.rank = rank;
    board.asked.clear();
    r.DataCollected = true;
    r.SendTicksLeft = 0;
    r.Height = 150;
    r.FlightTime = time;
    r.TickCountdown = 1;
    TimeStep(g);
  };
  lastTick(321, 10);  // the last place that still takes a name
  EXPECT_TRUE(r.RoundFinished);
  EXPECT_EQ(r.FlightTime, 322);
  EXPECT_EQ(g.Shell.GameState, Screen::kNameEntry);
  EXPECT_EQ(g.HighScores.NewEntryRank, 10);
  EXPECT_EQ(board.asked, (std::vector<float>{9678, 9678}));
  EXPECT_TRUE(Called("PlaySound(\"hs_name\",False,100,0,0)"));
  EXPECT_TRUE(Called("StopSound(\"explosion\",False)"));
  EXPECT_EQ(engine.CallTexts().back(), "PlaySound(\"menu\",True,100,0,0)");

  // Too slow for the table: straight to the scores, nothing highlighted.
  lastTick(999, 11);
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_EQ(g.HighScores.NewEntryRank, 0);
  EXPECT_EQ(board.asked, std::vector<float>{9001});
  EXPECT_FALSE(Called("PlaySound(\"hs_name\",False,100,0,0)"));
}

TEST_F(Flight, EscapeGivesUpAndReturnRestartsEvenInOneFrame) {
  RoundState& r = g.Round;
  EXPECT_EQ(Pass({key::kEscape}), Screen::kGame);
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
  EXPECT_TRUE(r.RoundLost);
  EXPECT_TRUE(Called("StopSound(\"onfire\",False)"));
  EXPECT_TRUE(Called("PlaySound(\"menu\",True,100,0,0)"));
  EXPECT_EQ(engine.CountOf("EndFrame"), 1) << "the pass still draws its frame";

  StartRound();
  Pass();
  r.Health = 0;  // during the explosion too
  Pass({key::kEscape, key::kReturn});
  EXPECT_EQ(g.Shell.GameState, Screen::kGame);
  EXPECT_FALSE(r.RoundLost);
  EXPECT_NEAR(r.Health, 100, 0.01);
  EXPECT_FLOAT_EQ(r.LanderY, 30 + 1.0f / 20) << "the new round already flew one frame";
  // Both round ends start the music; the new round stops it again.
  const auto sounds = Sounds();
  const std::string play = "PlaySound(\"menu\",True,100,0,0)", stop = "StopSound(\"menu\",False)";
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), play), 2);
  EXPECT_LT(std::find(sounds.rbegin(), sounds.rend(), stop),
            std::find(sounds.rbegin(), sounds.rend(), play));
}

// Drag and the wind under the canopy are in every golden replay; these
// corners are in none.
TEST_F(Flight, BothSideKeysTheClosedCraftAndTheLastOfTheFuel) {
  RoundState& r = g.Round;
  // Both side keys: left wins.
  r.LanderY = 3000;
  Pass({key::kLeft, key::kRight});
  EXPECT_LT(r.SpeedX, 0);
  EXPECT_FLOAT_EQ(r.Fuel, 90 - 0.125f);
  // The main thruster needs the unfolded craft.
  const float fuel = r.Fuel;
  Pass({key::kUp});
  EXPECT_FLOAT_EQ(r.Fuel, fuel);
  EXPECT_FALSE(Called("PlaySound(\"thrusters_u\",True,95,0,4)"));
  r.LanderOpened = true;
  r.OpenFrame = 0;
  Pass({});
  r.SpeedY = 0;
  Pass({key::kUp});
  EXPECT_FLOAT_EQ(r.Fuel, fuel - 0.25f);
  EXPECT_FLOAT_EQ(r.SpeedY, 1.0f / 20 - 1.0f / 12);
  EXPECT_TRUE(Called("PlaySound(\"thrusters_u\",True,95,0,4)"));

  // Fuel running out mid-thrust: one more frame, then nothing.
  r.Fuel = 0.1f;
  r.SpeedX = 0;
  Pass({key::kLeft});
  EXPECT_NEAR(r.Fuel, -0.025f, 1e-6);
  const float speed = r.SpeedX;
  Pass({key::kLeft});
  EXPECT_NEAR(r.Fuel, -0.025f, 1e-6);
  EXPECT_GT(r.SpeedX, speed) << "only drag acts now";
  EXPECT_TRUE(Called("StopSound(\"thrusters_l\",True)"));
}

TEST_F(Flight, FastFallHeatAndTheTopOfTheSky) {
  RoundState& r = g.Round;
  r.LanderY = 3000;
  r.CameraY = 2800;  // flames are only placed on screen
  r.SpeedY = 17;
  r.Health = 100;
  FlightStep(g);
  EXPECT_NEAR(r.Health, 100 - (2.0 / 30 + 3.0 / 25), 1e-4);
  int flames = 0;
  for (const auto& p : r.Particles) flames += p.Life > 0;
  EXPECT_GE(flames, 6);
  EXPECT_LE(flames, 9) << "nine rows for a closed craft at this speed";
  ShakeStep(g);
  EXPECT_EQ(Sounds(), (std::vector<std::string>{"SetSoundVolume(\"onfire\",104)",
                                                "SetSoundVolume(\"onfire2\",74)"}));

  // Above the top: fuel and health come back, to their caps.
  StartRound();
  r.LanderY = -100;
  r.SpeedY = -1;
  r.Fuel = 399.5f;
  r.Health = 140;
  FlightStep(g);
  EXPECT_FLOAT_EQ(r.Fuel, 400.5f);
  EXPECT_NEAR(r.Health, 140 + 1.0 / 150 + 1.0 / 3, 1e-4) << "self-repair, then the reward";
  r.Health = 149.9f;
  FlightStep(g);
  EXPECT_FLOAT_EQ(r.Fuel, 400.5f);
  EXPECT_GT(r.Health, 150);
}

TEST_F(Flight, TheChordsRefuelAndRepair) {
  RoundState& r = g.Round;
  r.Health = 0;
  r.RoundLost = true;
  Pass({chord::kRefuelA, chord::kRefuelB, chord::kRepairA, chord::kRepairB});
  EXPECT_FLOAT_EQ(r.Fuel, 110);
  EXPECT_NEAR(r.Health, 100, 0.1);
  EXPECT_FALSE(r.RoundLost);
  Pass({chord::kRefuelA, chord::kRepairB});
  EXPECT_FLOAT_EQ(r.Fuel, 110) << "one key of each chord does nothing";
}

TEST_F(Flight, SpaceOrDownOpensTheCanopy) {
  for (int32_t k : {key::kSpace, key::kDown}) {
    StartRound();
    g.Round.LanderY = 3000;  // far above the height where it opens by itself
    Pass({k});
    EXPECT_TRUE(g.Round.ParachuteOpen) << k;
  }
}

TEST_F(Flight, ACrashRunsTwoHundredSixtyFramesAndKeepsTheWreckDead) {
  RoundState& r = g.Round;
  r.LanderY = 3000;
  r.CameraY = 2800;
  r.Health = 0;
  CrashStep(g);
  EXPECT_EQ(r.ExplosionTime, 1);
  EXPECT_EQ(r.Fuel, 0);
  EXPECT_EQ(Sounds(), (std::vector<std::string>{
                          "PlaySound(\"fire\",True,85,0,0)", "StopSound(\"onfire\",False)",
                          "StopSound(\"onfire2\",False)", "StopSound(\"lander_open\",False)",
                          "StopSound(\"fuel\",False)", "PlaySound(\"explosion\",False,100,0,0)"}));
  engine.ClearCalls();
  for (int i = 2; i < 260; ++i) CrashStep(g);
  EXPECT_EQ(g.Shell.GameState, Screen::kGame);
  EXPECT_TRUE(Sounds().empty()) << "the sounds start once";
  CrashStep(g);
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
  EXPECT_TRUE(r.RoundLost);
  // Repaired mid-crash: the sequence simply stops.
  StartRound();
  r.Health = 0;
  CrashStep(g);
  r.Health = 50;
  CrashStep(g);
  EXPECT_EQ(r.ExplosionTime, 1);
}

}  // namespace
