// The command line of vorun-run: every setting of the window's run, the
// number of steps, where the results go. Numbers are read in the C locale,
// whatever the user's locale says, so a command means the same everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/ObservablesCsv.h"
#include "engine/Settings.h"
#include "model/Global.h"
#include "model/Parameters.h"

namespace vorun::run {

using vorun::Notation;

// A value of --set NAME=X: put into every input before the first step.
struct Override {
  const ParameterName* parameter;
  Extended80 value;
};

struct RunOptions {
  std::vector<std::string> inputs;
  std::string output;  // one input: the record's file
  std::string outDir;  // or each output as outDir/<input's name>
  std::int32_t steps = 0;
  std::optional<Extended80> timeStep;  // none: the record's own
  std::string timeStepText;            // as given, for the summary
  std::vector<Override> overrides;     // in the order given
  StepSettings settings;
  bool checkBox1 = false;  // "(1+6)'": in no formula; kept so a summary names every box
  std::string trajectory;
  std::string observables;
  std::string summary;
  std::int32_t every = 1;
  Notation notation = Notation::Decimal;
  int jobs = 1;
  int threads = 0;  // threads of each step; 0: the cores (or VORUN_THREADS)
  bool quiet = false;
  std::int32_t checkpointEvery = 0;  // 0: no checkpoints
  bool resume = false;               // go on from the checkpoint when there is one
};

// What the parse decided: run, or end at once with this exit code (0 after
// --help, 2 after a bad option) once the text has been printed.
struct ParsedOptions {
  std::optional<RunOptions> options;
  int exitCode = 0;
};

// Parses argv. --help goes to out; a bad option prints its message and the
// usage to err.
ParsedOptions ParseRunOptions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The names the command line and the summary use for the window's choices.
const char* FormulaName(Formula formula);
const char* SplitName(ColourSplit split);
const char* ScopeName(Scope scope);
const char* WallName(WallMode wall);

// Reads a real in the C locale: decimal, or hexadecimal with 0x; nothing
// else, and nothing that is not finite.
std::optional<Extended80> ParseReal(const std::string& text);

}  // namespace vorun::run
