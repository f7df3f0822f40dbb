// A folder of its own for every runner test, ensemble files to run, and
// vorun-run called as the program calls it, with its streams captured.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Bytes.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "run/RunMain.h"

namespace vorun::test {

namespace fs = std::filesystem;

// The bytes of a record as a file holds them.
inline std::string RecordBytes(const EnsembleRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// An ensemble of 60 slots with both parameter sets at the given values.
inline EnsembleState MakeEnsemble(Extended80 dt, Extended80 a, Extended80 b, Extended80 c, Extended80 d,
                                  Extended80 f) {
  EnsembleState e;
  e.SlotCount = MaxSlots;
  e.TimeStep = dt;
  e.A1 = e.A2 = a;
  e.B1 = e.B2 = b;
  e.C1 = e.C2 = c;
  e.D1 = e.D2 = d;
  e.F1 = e.F2 = f;
  return e;
}

inline void Place(EnsembleState& e, int n, Extended80 x, Extended80 y, Extended80 z, Extended80 u = 0,
                  Extended80 v = 0, Extended80 w = 0) {
  e.Exists[n] = 1;
  e.PosX[n] = x, e.PosY[n] = y, e.PosZ[n] = z;
  e.VelU[n] = u, e.VelV[n] = v, e.VelW[n] = w;
}

// The record of e, with padding bytes that are not zero, as a file written
// elsewhere may hold them: a run must carry them over.
inline std::string FileOf(const EnsembleState& e) {
  EnsembleRecord record{};
  std::memset(record.Padding1, 0xA5, sizeof record.Padding1);
  std::memset(record.Padding2, 0x5A, sizeof record.Padding2);
  CopyToRecord(e, record);
  return RecordBytes(record);
}

struct RunOutcome {
  int exitCode;
  std::string out, err;
};

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorun-run-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  RunOutcome Run(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), "vorun-run");
    std::ostringstream out, err;
    const int code = run::RunMain(args, out, err, terminal);
    return {code, out.str(), err.str()};
  }

  // The names in a folder (the test's own by default), sorted.
  std::vector<std::string> Listing(const std::string& where = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(where.empty() ? folder_ : fs::path(where)))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every file in the test's folder, with its bytes.
  std::vector<std::pair<std::string, std::string>> Contents() const {
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      all.emplace_back(entry.path().string(), entry.is_regular_file() ? ReadBytes(entry.path()) : "");
    std::sort(all.begin(), all.end());
    return all;
  }

  fs::path folder_;
};

}  // namespace vorun::test
