// The flight's frame. Every frame of the golden replays is pinned by its
// fingerprint; these are the cases no replay reaches.
#include "core/singles.h"
#include "flight_fixture.h"
#include "render/scene.h"

namespace {

class Scene : public GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    StartRound();
  }
  int Count(const std::string& part) {
    engine.ClearCalls();
    DrawScene(g);
    int n = 0;
    for (const auto& c : engine.CallTexts()) n += c.find(part) != std::string::npos;
    return n;
  }
};

TEST_F(Scene, TheHelpLeavesAfterTheThirdRoundAndAWreckDoesNotUnfold) {
  RoundState& r = g.Round;
  g.Shell.HelpRoundsLeft = 2;
  EXPECT_EQ(Count("keys.dds"), 1);
  g.Shell.HelpRoundsLeft = 1;
  EXPECT_EQ(Count("keys.dds"), 0);
  r.ParachuteReleased = true;
  r.Health = -5;
  Count("lander_broke.dds");
  EXPECT_EQ(r.OpenProgress, 0);
  r.Health = 5;
  Count("lander.dds");
  EXPECT_EQ(r.OpenProgress, 2);
}

TEST(NumberText, FormatsAndTheSixteenBitRange) {
  EXPECT_EQ(ThreeDigits(5.7), "005");
  EXPECT_EQ(ThreeDigits(1234.5), "1234");
  EXPECT_EQ(ThreeDigits(-0.025), "-001");
  EXPECT_EQ(SingleText(-0.0f), "0");
  EXPECT_EQ(SingleText(-1), "-1");
  EXPECT_EQ(SingleText(12345678), "1.234568E+07");
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_EQ(RoundToInt16(-32768.5), -32768);
  EXPECT_THROW(RoundToInt16(32767.5), ArithmeticFault);
  EXPECT_THROW(RoundToInt16(-32769), ArithmeticFault);
}

}  // namespace
