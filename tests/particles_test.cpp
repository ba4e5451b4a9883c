// The particle pool. Their motion, fading and sprites are in every golden
// replay's digests and frames; a full pool and the band's edges are not.
#include "flight_fixture.h"
#include "render/particles.h"

namespace {

class Particles : public GameFixture {
 protected:
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

}  // namespace
