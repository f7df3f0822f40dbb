#include "run/Summary.h"

#include <nettle/sha2.h>

#include <nlohmann/json.hpp>

#include "engine/Observables.h"
#include "model/EnsembleFile.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/Export.h"
#include "run/StopSignal.h"

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

// The values given by --set, by name. An object even when empty, so that a
// sweep's summaries share one shape.
nlohmann::ordered_json SetJson(const RunOptions& o) {
  nlohmann::ordered_json set = nlohmann::ordered_json::object();
  for (const Override& over : o.overrides) set[over.parameter->name] = FormatReal(over.value, o.notation);
  return set;
}

// The settings that decide every bit of a run, but for its length.
nlohmann::ordered_json SettingsJson(const SummaryFacts& facts) {
  const RunOptions& o = *facts.options;
  return {{"formula", FormulaName(o.settings.law.formula)},
          {"split", SplitName(o.settings.law.colourSplit)},
          {"scope", ScopeName(o.settings.law.scope)},
          {"check1", o.checkBox1},
          {"check2", o.settings.law.noShellB},
          {"check3", o.settings.law.noShellsCDF},
          {"blockade", o.settings.blockade},
          {"heater", o.settings.heater},
          {"cooler", o.settings.cooler},
          {"wall", WallName(o.settings.wall)},
          {"dt", FormatReal(facts.timeStep, o.notation)},
          {"dtFrom", o.timeStep ? "option" : "record"},
          {"every", o.every},
          {"exact", o.notation == Notation::Hex ? "hex" : "decimal"}};
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
  j["settings"] = SettingsJson(facts);
  j["settings"]["steps"] = o.steps;
  if (o.checkpointEvery > 0) j["settings"]["checkpointEvery"] = o.checkpointEvery;
  j["set"] = SetJson(o);
  // Written last, the summary vouches for the other files: the record's
  // hash and the CSV files' sizes tell a set that belongs together.
  j["outputSha256"] = facts.outputSha256;
  j["trajectorySize"] = facts.trajectorySize ? nlohmann::ordered_json(*facts.trajectorySize) : nullptr;
  j["observablesSize"] = facts.observablesSize ? nlohmann::ordered_json(*facts.observablesSize) : nullptr;
  j["resumedFrom"] = facts.resumedFrom ? nlohmann::ordered_json(*facts.resumedFrom) : nullptr;
  j["stepsDone"] = facts.stepsDone;
  j["fault"] = facts.fault ? nlohmann::ordered_json{{"step", facts.stepsDone + 1}, {"message", *facts.fault}}
                           : nlohmann::ordered_json();
  j["interrupted"] =
      facts.interruptedBy != 0
          ? nlohmann::ordered_json{{"step", facts.stepsDone}, {"signal", SignalName(facts.interruptedBy)}}
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

std::string RecordSha256(const EnsembleRecord& record) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, sizeof record, reinterpret_cast<const std::uint8_t*>(&record));
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  return Hex(std::string(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::string CheckpointJson(const SummaryFacts& facts, const Checkpoint& checkpoint) {
  nlohmann::ordered_json j;
  j["step"] = checkpoint.step;
  PutFileName(j, "input", facts.files->input);
  j["inputSha256"] = facts.inputSha256;
  j["settings"] = SettingsJson(facts);
  j["set"] = SetJson(*facts.options);
  j["trajectorySize"] =
      checkpoint.trajectorySize ? nlohmann::ordered_json(*checkpoint.trajectorySize) : nullptr;
  j["observablesSize"] =
      checkpoint.observablesSize ? nlohmann::ordered_json(*checkpoint.observablesSize) : nullptr;
  j["record"] = Hex(std::string(reinterpret_cast<const char*>(&checkpoint.record), sizeof checkpoint.record));
  return DumpJson(j);
}

Checkpoint ReadCheckpoint(const std::string& text, const SummaryFacts& facts) {
  const auto refuse = [](const std::string& why) -> Checkpoint {
    throw Error("Cannot resume from this checkpoint: " + why);
  };
  nlohmann::ordered_json j;
  try {
    j = nlohmann::ordered_json::parse(text);
  } catch (const nlohmann::json::exception&) {
    return refuse("it is not one this program wrote");
  }
  try {
    if (j.at("inputSha256") != facts.inputSha256) return refuse("the input is not the one it started from");
    if (j.at("settings") != SettingsJson(facts) || j.at("set") != SetJson(*facts.options))
      return refuse("the settings differ");
    Checkpoint c;
    c.step = j.at("step").get<std::int64_t>();
    if (c.step < 0) return refuse("its step count is negative");
    for (auto [key, size] :
         {std::pair{"trajectory", &c.trajectorySize}, {"observables", &c.observablesSize}}) {
      const auto& value = j.at(std::string(key) + "Size");
      if (!value.is_null()) *size = value.get<std::uint64_t>();
      const bool asked =
          !(key == std::string("trajectory") ? facts.files->trajectory : facts.files->observables).empty();
      if (asked != size->has_value()) return refuse(std::string("the --") + key + " option differs");
    }
    const std::string hex = j.at("record").get<std::string>();
    if (hex.size() != 2 * sizeof c.record) return refuse("its record is damaged");
    auto* bytes = reinterpret_cast<unsigned char*>(&c.record);
    for (std::size_t n = 0; n < sizeof c.record; ++n) {
      const auto digit = [&](char h) -> int {
        if (h >= '0' && h <= '9') return h - '0';
        if (h >= 'a' && h <= 'f') return h - 'a' + 10;
        refuse("its record is damaged");
        return 0;
      };
      bytes[n] = static_cast<unsigned char>(digit(hex[2 * n]) * 16 + digit(hex[2 * n + 1]));
    }
    return c;
  } catch (const nlohmann::json::exception&) {
    return refuse("it is not one this program wrote");
  }
}

}  // namespace vorun::run
