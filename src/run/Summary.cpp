#include "run/Summary.h"

#include <nettle/sha2.h>

#include <nlohmann/json.hpp>

#include "engine/Observables.h"
#include "model/FileAccess.h"
#include "run/Export.h"

namespace vorun::run {

std::string FileSha256(const std::string& name) {
  const int fd = OpenForReading(name);
  if (fd < 0) ThrowFileError(-fd);
  Descriptor file(fd);
  sha256_ctx context;
  sha256_init(&context);
  char chunk[65536];
  for (;;) {
    const std::size_t n = ReadUpTo(file.get(), chunk, sizeof chunk);
    sha256_update(&context, n, reinterpret_cast<const std::uint8_t*>(chunk));
    if (n < sizeof chunk) break;
  }
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  static const char hex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : digest) {
    text += hex[b >> 4];
    text += hex[b & 15];
  }
  return text;
}

std::string SummaryJson(const SummaryFacts& facts, const EnsembleState& state) {
  const RunOptions& o = *facts.options;
  const auto real = [&](Extended80 v) { return FormatReal(v, o.notation); };
  const auto nameOrNull = [](const std::string& name) {
    return name.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(name);
  };
  nlohmann::ordered_json j;
  j["input"] = facts.files->input;
  j["inputSha256"] = facts.inputSha256;
  j["output"] = facts.files->output;
  j["trajectory"] = nameOrNull(facts.files->trajectory);
  j["observables"] = nameOrNull(facts.files->observables);
  j["settings"] = {{"formula", FormulaName(o.settings.law.formula)},
                   {"split", SplitName(o.settings.law.colourSplit)},
                   {"scope", ScopeName(o.settings.law.scope)},
                   {"check1", o.checkBox1},
                   {"check2", o.settings.law.checkBox2},
                   {"check3", o.settings.law.checkBox3},
                   {"blockade", o.settings.blockade},
                   {"heater", o.settings.heater},
                   {"cooler", o.settings.cooler},
                   {"wall", WallName(o.settings.wall)},
                   {"dt", real(facts.timeStep)},
                   {"dtFrom", o.timeStep ? "option" : "record"},
                   {"steps", o.steps},
                   {"every", o.every},
                   {"exact", o.notation == Notation::Hex ? "hex" : "decimal"}};
  j["stepsDone"] = facts.stepsDone;
  j["fault"] = facts.fault ? nlohmann::ordered_json{{"step", facts.stepsDone + 1}, {"message", *facts.fault}}
                           : nlohmann::ordered_json();
  j["wallSeconds"] = facts.wallSeconds;

  const Observables m = MeasureObservables(state);
  j["final"] = {{"step", facts.stepsDone},
                {"time", real(TimeAt(facts.stepsDone, state.TimeStep))},
                {"taons", m.taonCount},
                {"kineticEnergy", real(m.kineticEnergy)},
                {"meanKineticEnergy", real(m.meanKineticEnergy)},
                {"momentum", {real(m.momentumX), real(m.momentumY), real(m.momentumZ)}},
                {"centre", {real(m.centreX), real(m.centreY), real(m.centreZ)}},
                {"smallestDistance", m.closestA != 0 ? nlohmann::ordered_json(real(m.smallestDistance))
                                                     : nlohmann::ordered_json()},
                {"closestSlots",
                 m.closestA != 0 ? nlohmann::ordered_json{m.closestA, m.closestB} : nlohmann::ordered_json()},
                {"largestRadius", real(m.largestRadius)}};
  return j.dump(2) + "\n";
}

}  // namespace vorun::run
