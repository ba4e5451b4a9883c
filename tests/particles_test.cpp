// The particle pool: placing, ageing, fading and the sprites of each kind.
#include "flight_fixture.h"
#include "render/particles.h"

namespace {

// The comma-separated arguments of a recorded call (the last one left out).
std::vector<std::string> Fields(const std::string& args) {
  std::vector<std::string> f;
  size_t start = 0;
  for (size_t pos; (pos = args.find(',', start)) != std::string::npos; start = pos + 1)
    f.push_back(args.substr(start, pos - start));
  return f;
}

class Particles : public GameFixture {
 protected:
  void Update() { ParticleEffects(g, false, 0, 0, 0, 0, 0, 0, 200, true); }
  int Live() const {
    int n = 0;
    for (const auto& p : g.Round.Particles) n += p.Life > 0;
    return n;
  }
};

TEST_F(Particles, PlacedOnlyInsideTheBandAndWhileAnEntryIsFree) {
  ParticleEffects(g, true, 0, 10, 0, 0, 0, 0, 20, true);
  ParticleEffects(g, true, 0, 10, 500, 0, 0, 0, 20, true);
  EXPECT_EQ(Live(), 0);
  ParticleEffects(g, true, 0, 10, 0.01f, 0, 0, 0, 20, true);
  ParticleEffects(g, true, 0, 10, 499.9f, 0, 0, 0, 20, true);
  EXPECT_EQ(Live(), 2);
  for (int i = 0; i < 300; ++i) ParticleEffects(g, true, 3, 5, 100, 0, 0, 0, 20, true);
  EXPECT_EQ(Live(), 201);
  const auto before = g.Round.Particles;
  ParticleEffects(g, true, 7, 99, 99, 0, 0, 0, 20, true);
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i].Kind, g.Round.Particles[i].Kind);
  // The first free entry from the start is taken.
  g.Round.Particles[57].Life = 0;
  ParticleEffects(g, true, 7, 99, 99, 1, 2, 3, 4.5f, false);
  const ParticleRec& p = g.Round.Particles[57];
  EXPECT_EQ(p.Kind, 7);
  EXPECT_EQ(p.Life, 4) << "4.5 rounds to even";
  EXPECT_EQ(p.MoveX, 1);
  EXPECT_EQ(p.Spin, 3);
  EXPECT_FALSE(p.Fade);
  EXPECT_GE(p.Angle, 0);
  EXPECT_LT(p.Angle, 360);
}

TEST_F(Particles, LifeRoundsAndAParticleIsDrawnOnItsLastFrame) {
  ParticleEffects(g, true, 0, 10, 100, 0, 0, 0, 0.5f, true);
  EXPECT_EQ(Live(), 0) << "0.5 rounds to 0: never alive";
  ParticleEffects(g, true, 0, 10, 100, 0, 0, 0, 1, true);
  Update();
  ASSERT_EQ(engine.CountOf("DrawImage"), 1);
  EXPECT_NE(engine.CallsOf("DrawImage")[0].args.find(",1,0,0,0,0,-1,-1"), std::string::npos)
      << engine.CallsOf("DrawImage")[0].args;
  EXPECT_EQ(Live(), 0);
  Update();
  EXPECT_EQ(engine.CountOf("DrawImage"), 1) << "free from the next frame";
}

TEST_F(Particles, FadingOpacityAndMotion) {
  g.Round.ShakeOffset = 3;
  ParticleEffects(g, true, 0, 10, 100, 2, -1, 5, 60, true);
  const float angle = g.Round.Particles[0].Angle;
  std::vector<int> opacities;
  for (int i = 0; i < 60; ++i) Update();
  // texture,x,y,32,32,angle,opacity,...
  for (const auto& c : engine.CallsOf("DrawImage"))
    opacities.push_back(std::stoi(Fields(c.args).at(6)));
  ASSERT_EQ(opacities.size(), 60u);
  EXPECT_EQ(std::vector<int>(opacities.begin(), opacities.begin() + 11), std::vector<int>(11, 50));
  EXPECT_EQ(opacities[11], 49);
  EXPECT_EQ(opacities.back(), 1);
  const std::string first = engine.CallsOf("DrawImage")[0].args;
  EXPECT_EQ(first, "files\\particles.png,15,99,32,32," + Num(float(double(angle) + 5)) +
                       ",50,0,0,0,0,-1,-1");
  // Not fading: always 50.
  engine.ClearCalls();
  ParticleEffects(g, true, 0, 10, 100, 0, 0, 0, 3, false);
  for (int i = 0; i < 3; ++i) Update();
  for (const auto& c : engine.CallsOf("DrawImage"))
    EXPECT_NE(c.args.find(",50,0,0,"), std::string::npos);
}

TEST_F(Particles, EachKindDrawsItsSpritesAndTints) {
  struct Expect {
    int16_t kind;
    std::vector<std::string> calls;
  };
  const std::string white = "SetDrawColor(255,255,255)", flame = "SetDrawColor(255,248,170)";
  const std::vector<Expect> table = {
      {0, {"DrawImage:0:32x32"}},
      {1, {}},
      {2, {"SetDrawColor(60,60,60)", "DrawImage:32:32x32", white}},
      {3, {"SetDrawColor(150,150,150)", "DrawImage:32:32x32", white}},
      {4, {"SetDrawColor(100,100,100)", "DrawImage:32:32x16", white}},
      {5, {flame, "DrawImage:0:32x32", "SetDrawColor(157,90,14)", "DrawImage:32:32x16", white}},
      {6, {flame, "DrawImage:0:32x16", "DrawImage:32:32x16", white}},
      {7, {flame, "DrawImage:32:32x16", white}},
      {9, {}},
  };
  for (const auto& t : table) {
    for (auto& p : g.Round.Particles) p.Life = 0;
    ParticleEffects(g, true, t.kind, 10, 100, 0, 0, 0, 100, true);
    g.Round.Particles[0].Angle = 0;
    engine.ClearCalls();
    Update();
    std::vector<std::string> got;
    for (const auto& c : engine.Calls()) {
      if (c.op == "SetDrawColor") {
        got.push_back(c.Text());
      } else if (c.op == "DrawImage") {
        // cell x and drawn size
        const std::vector<std::string> f = Fields(c.args);
        const std::string w = f.at(9) == "0" ? "32" : f.at(9);
        const std::string h = f.at(10) == "0" ? "32" : f.at(10);
        got.push_back("DrawImage:" + f.at(7) + ":" + w + "x" + h);
      }
    }
    EXPECT_EQ(got, t.calls) << "kind " << t.kind;
  }
}

}  // namespace
