// Files for window tests, written before the window exists: a small ensemble
// file, a comment beside it, a start file, a file one byte short of a record.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "ui/Session.h"

namespace vorun::test {

// A test's session back to its state before start-up: the ensemble and
// names, the file staging buffer, the window's view and toggles. Where the
// start file and the window places are kept stays as the test chose.
inline void ResetSession(Session& session) {
  Session fresh;
  fresh.StartFilePath = session.StartFilePath;
  fresh.WindowPlacesPath = session.WindowPlacesPath;
  session = fresh;
}

// A test's own session, with its parts under the names the windows' code
// gives them, so that a test reads as the windows do.
struct SessionParts {
  Session session;
  EnsembleState& Ensemble = session.Ensemble;
  RunState& Run = session.Run;
  ViewState& View = session.View;
  DisplayState& Display = session.Display;
  std::string& FileName = session.FileName;
  std::string& LastFileName = session.LastFileName;
  EnsembleRecord& FileRecord = session.FileRecord;
  std::string& StartFilePath = session.StartFilePath;
  QString& WindowPlacesPath = session.WindowPlacesPath;

  SessionParts() = default;
  SessionParts(const SessionParts&) = delete;
  SessionParts& operator=(const SessionParts&) = delete;
  void ResetSession() { test::ResetSession(session); }
  // The session fresh, holding the file's ensemble as a new program reads it.
  void ReadBack(const std::string& path) {
    ResetSession();
    Ensemble.SlotCount = MaxSlots;
    ReadEnsembleFile(path, FileRecord);
    ApplyRecord(FileRecord, Ensemble);
  }
};

inline void WriteText(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Three taons: slot 1 moving along x at speed 1, slots 2 and 31 at rest (31 takes
// parameter set 2 under every split). The time step 0.05 is not the default, so
// a test can tell which one a run used. Written from an ensemble and a record
// of its own, as a fresh program would write it.
inline void WriteSampleEnsemble(const std::string& path, Extended80 timeStep = 0.05L) {
  EnsembleState Ensemble;
  EnsembleRecord FileRecord{};
  Ensemble.SlotCount = MaxSlots;
  Ensemble.TimeStep = timeStep;
  Ensemble.A1 = Ensemble.A2 = 1;
  Ensemble.B1 = Ensemble.B2 = 2.718L;
  Ensemble.C1 = Ensemble.C2 = 5;
  Ensemble.D1 = Ensemble.D2 = 10;
  Ensemble.F1 = Ensemble.F2 = 20;
  const int slot[] = {1, 2, 31};
  const Extended80 x[] = {0.5L, -0.5L, 0};
  for (int i = 0; i < 3; ++i) {
    Ensemble.Exists[slot[i]] = 1;
    Ensemble.PosX[slot[i]] = x[i];
    Ensemble.PosZ[slot[i]] = i == 2 ? 0.75L : 0;
  }
  Ensemble.VelU[1] = 1;
  WriteEnsembleFile(path, Ensemble, FileRecord);
}

}  // namespace vorun::test
