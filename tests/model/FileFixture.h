// The folder, start file and helpers that the file tests share: every test
// works in a temporary folder of its own, with the start file inside it, on
// an ensemble, a staging record and names of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Bytes.h"
#include "model/EnsembleFile.h"
#include "model/Error.h"
#include "model/Global.h"
#include "model/StartFile.h"

namespace vorun::test {

namespace fs = std::filesystem;

inline Extended80 FromBits(const std::string& bytes) {
  Extended80 value = 0;
  std::memcpy(&value, bytes.data(), 10);
  return value;
}

inline std::string ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

class FileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vorun-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    StartFilePath = (folder_ / "config" / "vorun" / "Start.tvx2").string();
    Ensemble.SlotCount = MaxSlots;
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  // Names in the folder, to find temporary files left behind.
  std::vector<std::string> Listing(const fs::path& where) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(where)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Distinct values in every field so that a field landing at the wrong place
  // shows.
  void FillEnsemble(Extended80 base) {
    auto& e = Ensemble;
    e.TimeStep = base + 0.5L;
    Extended80* params[] = {&e.A1, &e.B1, &e.C1, &e.D1, &e.F1, &e.A2, &e.B2, &e.C2, &e.D2, &e.F2};
    for (int i = 0; i < 10; ++i) *params[i] = base + i + 1;
    for (int n = 1; n <= MaxSlots; ++n) {
      e.PosX[n] = base + 100 + n;
      e.PosY[n] = base + 200 + n;
      e.PosZ[n] = base + 300 + n;
      e.VelU[n] = -(base + 400 + n) / 3;
      e.VelV[n] = -(base + 500 + n) / 3;
      e.VelW[n] = -(base + 600 + n) / 3;
      e.Exists[n] = n % 3 == 0 ? 0 : 1;
    }
  }

  fs::path folder_;
  EnsembleState Ensemble;
  EnsembleRecord FileRecord{};
  std::string FileName;
  std::string LastFileName;
  std::string StartFilePath;
};

}  // namespace vorun::test
