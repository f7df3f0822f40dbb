#include "run/RunOptions.h"

#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>

#include "engine/WorkerPool.h"
#include "model/Error.h"
#include "model/StartFile.h"

namespace vorun::run {

namespace {

// A bad option: its message is exactly what the user reads.
struct BadOption : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The value named in the table, or a message that lists the names.
template <class Row, std::size_t N>
auto Choose(const std::array<Row, N>& rows, const std::string& option, const std::string& text) {
  if (const auto value = ValueNamed(rows, text)) return *value;
  throw BadOption(option + " must be one of " + ChoiceNames(rows));
}

// Plain decimal digits only: no sign, blanks or exponent, so that a typo
// never passes as a number.
std::optional<std::int64_t> ParseCount(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::int32_t Positive(const std::string& option, const std::string& text, std::int64_t largest) {
  const std::optional<std::int64_t> n = ParseCount(text);
  if (!n || *n < 1 || *n > largest) throw BadOption(option + " must be a positive integer");
  return static_cast<std::int32_t>(*n);
}

// NAME=X, with the name from the table of parameters and X read as --dt is.
Override ParseOverride(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) throw BadOption("--set needs NAME=VALUE, not \"" + text + "\"");
  const std::string name = text.substr(0, equals);
  const ParameterName* parameter = FindParameter(name);
  if (!parameter)
    throw BadOption("--set: no parameter is named \"" + name + "\"; the names are " + ParameterNameList());
  const std::optional<Extended80> value = ParseReal(text.substr(equals + 1));
  if (!value)
    throw BadOption("--set " + name + ": \"" + text.substr(equals + 1) +
                    "\" is not a finite number with a point as decimal separator");
  return {parameter, *value};
}

}  // namespace

const char* FormulaName(Formula formula) { return NameOf(FormulaChoices, formula); }
const char* SplitName(ColourSplit split) { return NameOf(SplitChoices, split); }
const char* ScopeName(Scope scope) { return NameOf(ScopeChoices, scope); }
const char* WallName(WallMode wall) { return NameOf(WallChoices, wall); }

// from_chars reads in the C locale by definition; strtold would follow
// LC_NUMERIC.
std::optional<Extended80> ParseReal(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  auto format = std::chars_format::general;
  if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
    format = std::chars_format::hex;
    i += 2;
  }
  // from_chars takes a sign of its own; a second one is not a number.
  if (i >= text.size() || text[i] == '-' || text[i] == '+') return std::nullopt;
  Extended80 value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data() + i, end, value, format);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

ParsedOptions ParseRunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Runs the ensemble in each IN.tvx for a number of steps, with the settings of the main window's "
      "controls, and writes the resulting record: byte for byte what the window holds after the same "
      "steps.",
      "vorun-run"};
  app.footer(
      "Numbers are read in the C locale: the decimal separator is a point, whatever the locale says; "
      "--dt and --set also take hexadecimal (0x1p-10). Flags are off unless given.\n"
      "With --out-dir, each output is DIR/<input's name>; a \"{}\" in the names given to --trajectory, "
      "--observables and --summary stands for the input's name without its extension, and relative "
      "names lie in DIR.\n"
      "Exit status: 0 done, 2 bad option, 3 file error (nothing written), 4 floating-point fault (the "
      "last completed step written).");
  const auto formatter = std::make_shared<CLI::Formatter>();
  formatter->column_width(34);
  app.formatter(formatter);

  std::vector<std::string> sets;
  std::string steps, dt, formula = "E", split = "30", scope = "gravoscope", wall = "out", every = "1",
                         exact = "decimal", jobs = "1", threads = "auto";
  RunOptions o;
  app.add_option("IN.tvx", o.inputs, "Ensemble files to run")->type_name("")->required();
  app.add_option("-o,--output", o.output, "The resulting record (one input)")->type_name("FILE");
  app.add_option("--out-dir", o.outDir, "Folder for the outputs of several inputs")->type_name("DIR");
  app.add_option("-n,--steps", steps, "Number of steps")->type_name("N")->required();
  app.add_option("--dt", dt, "Time step")->type_name("X")->default_str("the record's own");
  // One value per --set, so that the inputs after it stay inputs.
  app.add_option("--set", sets, "Replaces the time step (dt) or a parameter (A1 ... F2) of every input")
      ->type_name("NAME=X")
      ->allow_extra_args(false);
  app.add_option("--formula", formula, ChoiceNames(FormulaChoices, " or "))
      ->type_name("F")
      ->default_str(formula);
  app.add_option("--split", split,
                 "Parameter set 2 is the last " + ChoiceNames(SplitChoices, " or ") + " slots")
      ->type_name("T")
      ->default_str(split);
  app.add_option("--scope", scope, ChoiceNames(ScopeChoices, " or "))->type_name("S")->default_str(scope);
  app.add_flag("--check1", o.checkBox1, "Check box (1+6)' (in no formula)");
  app.add_flag("--check2", o.settings.law.noShellB, "Check box (2)': no B shell in PES");
  app.add_flag("--check3", o.settings.law.noShellsCDF, "Check box (3-:-5)': no C, D, F shells in PES");
  app.add_flag("--blockade", o.settings.blockade, "Hold taons 1 to 4 in place");
  app.add_flag("--heater", o.settings.heater, "Velocities times 1.01 every step");
  app.add_flag("--cooler", o.settings.cooler, "Velocities times 0.99 every step");
  app.add_option("--wall", wall, ChoiceNames(WallChoices, " or "))->type_name("W")->default_str(wall);
  app.add_option("--trajectory", o.trajectory, "CSV of every slot's position and velocity")
      ->type_name("FILE")
      ->default_str("none");
  app.add_option("--observables", o.observables, "CSV of energies, momentum, centre, distances")
      ->type_name("FILE")
      ->default_str("none");
  app.add_option("--every", every, "Steps between two rows of the CSV files")
      ->type_name("K")
      ->default_str(every);
  app.add_option("--exact", exact, "CSV numbers: decimal (21 digits) or hex")
      ->type_name("E")
      ->default_str(exact);
  app.add_option("--summary", o.summary, "JSON summary of the run")->type_name("FILE")->default_str("none");
  app.add_option("--jobs", jobs, "Inputs run at the same time")->type_name("J")->default_str(jobs);
  app.add_option("--threads", threads, "Threads of each step (the same results for any count)")
      ->type_name("T")
      ->default_str(threads);
  app.add_flag("-q,--quiet", o.quiet, "No progress line");
  std::string checkpointEvery;
  app.add_option("--checkpoint-every", checkpointEvery, "Steps between two checkpoints (OUT.checkpoint)")
      ->type_name("K")
      ->default_str("none");
  app.add_flag("--resume", o.resume, "Go on from OUT.checkpoint when there is one");

  std::vector<const char*> argv;
  argv.reserve(args.size());
  for (const std::string& a : args) argv.push_back(a.c_str());

  const auto usage = [&](const std::string& message) {
    err << "vorun-run: " << message << "\n"
        << formatter->make_usage(&app, "vorun-run") << "Run with --help for the options.\n";
    return ParsedOptions{std::nullopt, 2};
  };
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return {std::nullopt, 0};
  } catch (const CLI::ParseError& e) {
    return usage(e.what());
  }

  try {
    const std::optional<std::int64_t> n = ParseCount(steps);
    if (!n || *n > std::numeric_limits<std::int32_t>::max())
      throw BadOption("--steps must be an integer from 0 to 2147483647");
    o.steps = static_cast<std::int32_t>(*n);
    if (!dt.empty()) {
      o.timeStep = ParseReal(dt);
      if (!o.timeStep) throw BadOption("--dt must be a finite number with a point as decimal separator");
      o.timeStepText = dt;
    }
    for (const std::string& text : sets) {
      const Override next = ParseOverride(text);
      for (const Override& earlier : o.overrides)
        if (earlier.parameter == next.parameter)
          throw BadOption(std::string("--set ") + next.parameter->name + " is given twice");
      if (next.parameter->state == &EnsembleState::TimeStep) {
        if (o.timeStep) throw BadOption("--dt and --set dt exclude each other");
        o.timeStep = next.value;
        o.timeStepText = text.substr(text.find('=') + 1);
      }
      o.overrides.push_back(next);
    }
    o.settings.law.formula = Choose(FormulaChoices, "--formula", formula);
    o.settings.law.colourSplit = Choose(SplitChoices, "--split", split);
    o.settings.law.scope = Choose(ScopeChoices, "--scope", scope);
    o.settings.wall = Choose(WallChoices, "--wall", wall);
    o.every = Positive("--every", every, std::numeric_limits<std::int32_t>::max());
    if (exact == "decimal")
      o.notation = Notation::Decimal;
    else if (exact == "hex")
      o.notation = Notation::Hex;
    else
      throw BadOption("--exact must be decimal or hex");
    o.jobs = Positive("--jobs", jobs, 1024);
    if (threads != "auto") o.threads = Positive("--threads", threads, MaxStepThreads);
    if (!checkpointEvery.empty())
      o.checkpointEvery =
          Positive("--checkpoint-every", checkpointEvery, std::numeric_limits<std::int32_t>::max());

    // A name with a line break would break the messages and the lines of a
    // log; the window refuses such names too, with the same words.
    for (const std::vector<std::string>& group :
         {o.inputs, {o.output, o.outDir, o.trajectory, o.observables, o.summary}}) {
      for (const std::string& name : group) {
        try {
          CheckRememberable(name);
        } catch (const Error& e) {
          throw BadOption(e.what());
        }
      }
    }
    if (!o.output.empty() && !o.outDir.empty()) throw BadOption("--output and --out-dir exclude each other");
    if (o.output.empty() && o.outDir.empty()) throw BadOption("--output or --out-dir is required");
    if (!o.output.empty() && o.inputs.size() > 1) throw BadOption("--output takes one input; use --out-dir");
    if (o.inputs.size() > 1) {
      for (const auto& [option, name] :
           {std::pair{"--trajectory", &o.trajectory}, std::pair{"--observables", &o.observables},
            std::pair{"--summary", &o.summary}}) {
        if (!name->empty() && name->find("{}") == std::string::npos)
          throw BadOption(std::string(option) + " needs {} in its name with several inputs");
      }
    }
    std::set<std::string> names;
    for (const std::string& input : o.inputs) {
      const std::string name = input.substr(input.rfind('/') + 1);
      if (name.empty()) throw BadOption("input " + input + " names no file");
      if (!o.outDir.empty() && !names.insert(name).second)
        throw BadOption("two inputs named " + name + " would write the same output");
    }
  } catch (const BadOption& e) {
    return usage(e.what());
  }
  return {std::move(o), 0};
}

}  // namespace vorun::run
