#include "run/EnsembleMain.h"

#include <CLI/CLI.hpp>
#include <iterator>

#include "model/EnsembleFile.h"
#include "model/Error.h"
#include "model/FileAccess.h"
#include "run/EnsembleText.h"

namespace vorun::run {

namespace {

// Far more than the text of any record (a few hundred kilobytes at most), and
// little enough that a wrong file named by mistake is not read whole.
constexpr std::size_t MaxTextSize = 16 << 20;

struct FileFailure {
  std::string name, message;
};

EnsembleRecord ReadRecord(const std::string& name) {
  EnsembleRecord record{};
  try {
    ReadEnsembleFile(name, record);
  } catch (const Error& e) {
    throw FileFailure{name, e.what()};
  }
  return record;
}

std::string ReadText(const std::string& name, std::istream& in) {
  if (name == "-") return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const int fd = OpenForReading(name);
    if (fd < 0) ThrowFileError(-fd);
    Descriptor file(fd);
    std::string text;
    if (!ReadAtMost(file, MaxTextSize, text)) throw Error("File larger than 16 MiB: no ensemble text");
    return text;
  } catch (const Error& e) {
    throw FileFailure{name, e.what()};
  }
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int EnsembleMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err) {
  CLI::App app{"Shows an ensemble file as text, makes one from text, or compares two field by field.",
               "vorun-ensemble"};
  app.footer(
      "Reals are written so that they read back to the same 80-bit value: 21 significant digits (or with "
      "--exact hex the form of C's %La), inf, -inf, or raw:SEEE:MMMMMMMMMMMMMMMM for a pattern that no "
      "number "
      "gives back (a NaN, a pseudo-denormal, an unnormal). show then make gives the same bytes, padding "
      "included.\n"
      "Exit status: 0 done (diff: identical), 1 diff: the records differ, 2 bad option or bad text, 3 file "
      "error (nothing written).");
  app.require_subcommand(1);
  const auto formatter = std::make_shared<CLI::Formatter>();
  formatter->column_width(30);
  app.formatter(formatter);

  std::string showFile, format = "json", exact = "decimal";
  CLI::App* show = app.add_subcommand("show", "Prints FILE.tvx as JSON or CSV");
  show->add_option("FILE.tvx", showFile, "The ensemble file")->type_name("")->required();
  show->add_option("--format", format, "json or csv")->type_name("F")->default_str("json");
  show->add_option("--exact", exact, "Reals in decimal (21 digits) or hex")
      ->type_name("E")
      ->default_str("decimal");

  std::string textFile, output, makeFormat;
  CLI::App* make = app.add_subcommand("make", "Writes the ensemble file of a JSON or CSV text");
  make->add_option("TEXT", textFile, "FILE.json or FILE.csv; - reads standard input")
      ->type_name("")
      ->required();
  make->add_option("-o,--output", output, "The ensemble file to write")->type_name("OUT.tvx")->required();
  make->add_option("--format", makeFormat, "json or csv")->type_name("F")->default_str("from the name");

  std::string first, second, diffExact = "decimal";
  CLI::App* diff = app.add_subcommand("diff", "Lists the fields in which A.tvx and B.tvx differ");
  diff->add_option("A.tvx", first, "")->type_name("")->required();
  diff->add_option("B.tvx", second, "")->type_name("")->required();
  diff->add_option("--exact", diffExact, "Reals in decimal (21 digits) or hex")
      ->type_name("E")
      ->default_str("decimal");

  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  const auto usage = [&](const std::string& message) {
    err << "vorun-ensemble: " << message << "\n"
        << formatter->make_usage(&app, "vorun-ensemble") << "Run with --help for the commands.\n";
    return 2;
  };
  // Without this, a mistyped command reads as a missing one.
  if (args.size() > 1 && !args[1].empty() && args[1][0] != '-' && args[1] != "show" && args[1] != "make" &&
      args[1] != "diff")
    return usage("no command is named \"" + args[1] + "\"; the commands are show, make and diff");
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    return usage(e.what());
  }

  const auto notation = [](const std::string& text) -> std::optional<Notation> {
    if (text == "decimal") return Notation::Decimal;
    if (text == "hex") return Notation::Hex;
    return std::nullopt;
  };

  try {
    if (show->parsed()) {
      const std::optional<Notation> n = notation(exact);
      if (!n) return usage("--exact must be decimal or hex");
      if (format != "json" && format != "csv") return usage("--format must be json or csv");
      const EnsembleRecord record = ReadRecord(showFile);
      out << (format == "json" ? EnsembleJson(record, *n) : EnsembleCsv(record, *n));
      return 0;
    }
    if (make->parsed()) {
      if (makeFormat.empty()) {
        if (EndsWith(textFile, ".json"))
          makeFormat = "json";
        else if (EndsWith(textFile, ".csv"))
          makeFormat = "csv";
        else
          return usage("--format json or csv is needed for a text not named .json or .csv");
      }
      if (makeFormat != "json" && makeFormat != "csv") return usage("--format must be json or csv");
      const std::string text = ReadText(textFile, in);
      EnsembleRecord record;
      try {
        record = makeFormat == "json" ? ParseEnsembleJson(text) : ParseEnsembleCsv(text);
      } catch (const TextError& e) {
        err << "vorun-ensemble: " << textFile << " line " << e.line;
        if (!e.field.empty()) err << ", field " << e.field;
        err << ": " << e.what() << "\n";
        return 2;
      }
      try {
        ReplaceFile(output, std::string(reinterpret_cast<const char*>(&record), sizeof record));
      } catch (const Error& e) {
        throw FileFailure{output, e.what()};
      }
      return 0;
    }
    const std::optional<Notation> n = notation(diffExact);
    if (!n) return usage("--exact must be decimal or hex");
    const EnsembleRecord a = ReadRecord(first), b = ReadRecord(second);
    const std::vector<FieldDifference> differences = DiffRecords(a, b, *n);
    for (const FieldDifference& d : differences) {
      out << d.field << ": " << d.a << " | " << d.b;
      if (d.ulps) out << " (" << UlpText(*d.ulps) << (*d.ulps == 1 ? " ulp)" : " ulps)");
      out << "\n";
    }
    return differences.empty() ? 0 : 1;
  } catch (const FileFailure& f) {
    err << "vorun-ensemble: " << f.name << ": " << f.message << "\n";
    return 3;
  }
}

}  // namespace vorun::run
