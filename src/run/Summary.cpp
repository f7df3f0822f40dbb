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

namespace {

bool IsUtf8(const std::string& text) {
  try {
    [[maybe_unused]] const std::string dumped = nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (const char c : bytes) {
    text += digits[static_cast<unsigned char>(c) >> 4];
    text += digits[static_cast<unsigned char>(c) & 15];
  }
  return text;
}

void PutFileName(nlohmann::ordered_json& j, const std::string& key, const std::string& name) {
  j[key] = name.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(name);
  // A file name is bytes and need not be UTF-8, which JSON text must be. The
  // string then shows U+FFFD for each stray byte, and the exact bytes follow
  // in hexadecimal, so a script can still open the very file.
  if (!IsUtf8(name)) j[key + "Bytes"] = Hex(name);
}

std::string DumpJson(const nlohmann::ordered_json& j) {
  return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string SummaryJson(const SummaryFacts& facts, const EnsembleState& state) {
  const RunOptions& o = *facts.options;
  const auto real = [&](Extended80 v) { return FormatReal(v, o.notation); };
  nlohmann::ordered_json j;
  PutFileName(j, "input", facts.files->input);
  j["inputSha256"] = facts.inputSha256;
  PutFileName(j, "output", facts.files->output);
  PutFileName(j, "trajectory", facts.files->trajectory);
  PutFileName(j, "observables", facts.files->observables);
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
  // An object even when empty, so that a sweep's summaries share one shape.
  j["set"] = nlohmann::ordered_json::object();
  for (const Override& over : o.overrides) j["set"][over.parameter->name] = real(over.value);
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
  return DumpJson(j);
}

}  // namespace vorun::run
