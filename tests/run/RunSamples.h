// Samples and readers shared by the tests of vorun-run: a small ensemble that
// moves under every formula, one that faults at a known step, the engine's
// own run of a record, and the CSV rows read back as a user's tools would.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Step.h"
#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "run/RunFixture.h"

namespace vorun::test {

// Rows of a CSV file without its header, split at commas.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& text, std::string* header = nullptr) {
  std::vector<std::vector<std::string>> rows;
  std::size_t at = text.find('\n');
  if (header) *header = text.substr(0, at + 1);
  for (std::size_t start = at + 1; start < text.size(); start = at + 1) {
    at = text.find('\n', start);
    const std::string line = text.substr(start, at - start);
    std::vector<std::string> cells;
    for (std::size_t from = 0;;) {
      const std::size_t comma = line.find(',', from);
      cells.push_back(line.substr(from, comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    rows.push_back(cells);
  }
  return rows;
}

// strtold in the C locale, the way a reader of the CSV takes the numbers back.
inline Extended80 ReadBack(const std::string& text) {
  char* end = nullptr;
  const Extended80 v = std::strtold(text.c_str(), &end);
  EXPECT_EQ(*end, '\0') << text;
  return v;
}

// A small ensemble that moves without faulting under every formula: taons
// in both parameter sets, one off the plane y = 0, an empty slot with values
// of its own, an occupancy byte of 2.
inline EnsembleState Sample() {
  EnsembleState e = MakeEnsemble(0.05L, 1, 2.718L, 5, 10, 20);
  e.A2 = 0.5L;
  Place(e, 1, 0.5L, 0, 0, 1, 0, 0);
  Place(e, 2, -0.5L, 0.25L, 0, 0, 0.5L, 0);
  Place(e, 31, 0, 0, 0.75L, 0, 0, -0.25L);
  Place(e, 47, 1.25L, -0.5L, -1, 0.125L, 0, 0);
  e.Exists[47] = 2;
  e.PosX[9] = 42;  // empty
  return e;
}

// The sample stepped by the engine directly: what a run must give.
inline EnsembleRecord Stepped(const std::string& file, const StepSettings& settings, int steps) {
  EnsembleRecord record;
  std::memcpy(&record, file.data(), sizeof record);
  EnsembleState e;
  e.SlotCount = MaxSlots;
  ApplyRecord(record, e);
  for (int n = 0; n < steps; ++n) AdvanceStep(e, settings);
  CopyToRecord(e, record);
  return record;
}

// Two taons 2 apart closing in at speed 1 each with no force (A = 0) meet
// after 4 steps of 0.25; the fifth step takes ln 0 for their distance.
inline EnsembleState Collision() {
  EnsembleState e = MakeEnsemble(0.25L, 0, 1, 1, 1, 1);
  Place(e, 1, -1, 0, 0, 1);
  Place(e, 3, 1, 0, 0, -1);
  return e;
}

}  // namespace vorun::test
