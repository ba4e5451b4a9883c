#include "testkit/golden_replay.h"

#include <bit>
#include <stdexcept>

namespace golden {

namespace {

class Fnv1a {
 public:
  void Bytes(uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
      hash_ ^= (value >> (8 * i)) & 0xff;
      hash_ *= 0x100000001b3ull;
    }
  }
  void Real(float v) { Bytes(std::bit_cast<uint32_t>(v), 4); }
  void Short(int16_t v) { Bytes(static_cast<uint16_t>(v), 2); }
  void Flag(bool v) { Bytes(v ? 1 : 0, 1); }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace

TraceFile::TraceFile() : file_(std::tmpfile(), &std::fclose) {
  if (!file_) throw std::runtime_error("cannot create a temporary file for the trace");
}

std::string TraceFile::Text() const {
  std::fflush(file_.get());
  std::rewind(file_.get());
  std::string text;
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file_.get())) > 0) text.append(buffer, n);
  return text;
}

std::string DigestLine(const RoundState& round) {
  Fnv1a clouds, particles;
  for (const CloudRec& c : round.Clouds) {
    clouds.Real(c.X);
    clouds.Real(c.Y);
    clouds.Real(c.Opacity);
    clouds.Real(c.Drift);
  }
  for (const ParticleRec& p : round.Particles) {
    particles.Short(p.Life);
    particles.Short(p.Kind);
    particles.Real(p.X);
    particles.Real(p.Y);
    particles.Real(p.MoveX);
    particles.Real(p.MoveY);
    particles.Real(p.Spin);
    particles.Real(p.Angle);
    particles.Flag(p.Fade);
  }
  char line[40];
  std::snprintf(line, sizeof line, "%016llx %016llx\n",
                static_cast<unsigned long long>(clouds.Value()),
                static_cast<unsigned long long>(particles.Value()));
  return line;
}

GoldenRun::GoldenRun(uint64_t seed) : random(seed), game(engine, &scores, random) {
  options.programFolder = "golden";
  options.waitForLogo = false;
  options.trace = trace.Get();
  // A pass's digest is taken as the next one begins, when the pass has
  // done everything it will.
  engine.passBegins = [this](int64_t pass) {
    if (pass > 1) digests += DigestLine(game.Round);
    passes_ = pass;
  };
}

int GoldenRun::Run() {
  const int status = Main(game, options);
  // The last pass's: shutdown touches neither clouds nor particles.
  if (passes_ > 0) digests += DigestLine(game.Round);
  return status;
}

Replayed Replay(const InputScript& script) {
  GoldenRun run(script.seed ? *script.seed : kDefaultSeed);
  run.options.script = &script;
  run.options.maxPasses = script.TotalPasses();
  run.Run();
  return Replayed{run.trace.Text(), run.digests};
}

}  // namespace golden
