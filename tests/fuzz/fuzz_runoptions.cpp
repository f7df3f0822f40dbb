// The runner's command line and the names it is given: any bytes, cut at NUL
// bytes into arguments after "vorun-run".
//
// The parse never throws and ends in one of three ways: help (exit 0, text
// on stdout), a bad option (exit 2, one message and the usage on stderr), or
// options within their ranges whose names hold no line break. For parsed
// options, the files of every job are found and checked for clashes without
// a fault, and each job's summary, whatever bytes its names are, is JSON that
// gives every name back exactly.
#include <nlohmann/json.hpp>
#include <sstream>

#include "FuzzSupport.h"
#include "run/RunJob.h"
#include "run/RunOptions.h"
#include "run/Summary.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// The name as the summary keeps it: the string itself, or its exact bytes in
// hex beside a string that could not hold them.
std::string NameIn(const nlohmann::json& j, const std::string& key) {
  if (j.contains(key + "Bytes")) return FromHex(j[key + "Bytes"].get<std::string>());
  return j[key].is_null() ? std::string() : j[key].get<std::string>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorun;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args{"vorun-run"};
  for (std::size_t from = 0; from <= bytes.size() && args.size() < 64;) {
    const std::size_t nul = std::min(bytes.find('\0', from), bytes.size());
    args.push_back(bytes.substr(from, nul - from));
    from = nul + 1;
  }

  std::ostringstream out, err;
  const run::ParsedOptions parsed = run::ParseRunOptions(args, out, err);
  if (!parsed.options) {
    FUZZ_CHECK(parsed.exitCode == 0 || parsed.exitCode == 2, "exit code %d", parsed.exitCode);
    if (parsed.exitCode == 2) {
      FUZZ_CHECK(err.str().rfind("vorun-run: ", 0) == 0 && out.str().empty());
      FUZZ_CHECK(err.str().find("Usage: vorun-run") != std::string::npos);
    } else {
      FUZZ_CHECK(!out.str().empty() && err.str().empty());
    }
    return 0;
  }
  const run::RunOptions& o = *parsed.options;
  FUZZ_CHECK(out.str().empty() && err.str().empty());
  FUZZ_CHECK(!o.inputs.empty() && o.steps >= 0 && o.every >= 1 && o.jobs >= 1 && o.jobs <= 1024);
  FUZZ_CHECK(o.output.empty() != o.outDir.empty(), "exactly one of --output and --out-dir");
  for (const std::vector<std::string>& group :
       {o.inputs, {o.output, o.outDir, o.trajectory, o.observables, o.summary}})
    for (const std::string& name : group) FUZZ_CHECK(name.find_first_of("\r\n") == std::string::npos);

  std::vector<run::JobFiles> jobs;
  for (const std::string& input : o.inputs) jobs.push_back(run::FilesFor(o, input));
  if (const auto clash = run::FindClash(jobs)) FUZZ_CHECK(clash->find('\n') == std::string::npos);

  EnsembleState state;
  state.SlotCount = MaxSlots;
  for (const run::JobFiles& files : jobs) {
    run::SummaryFacts facts;
    facts.options = &o;
    facts.files = &files;
    const nlohmann::json j = nlohmann::json::parse(run::SummaryJson(facts, state));
    FUZZ_CHECK(NameIn(j, "input") == files.input, "the input's name is not kept");
    FUZZ_CHECK(NameIn(j, "output") == files.output, "the output's name is not kept");
    FUZZ_CHECK(NameIn(j, "trajectory") == files.trajectory);
    FUZZ_CHECK(NameIn(j, "observables") == files.observables);
  }
  return 0;
}
