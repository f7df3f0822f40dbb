// The window's run and vorun-run: the same file, the same settings and the
// same number of steps give the same record, byte for byte, padding and
// occupancy bytes included.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstring>
#include <sstream>

#include "run/RunMain.h"
#include "ui/Controls.h"
#include "ui/main/MainFormFixture.h"

namespace vorun {
namespace {

constexpr int Steps = 40;

struct Case {
  const char* name;
  std::vector<std::string> options;          // of vorun-run
  std::function<void(TMainForm&)> controls;  // the same choices in the window
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Taons in both parameter sets and off the plane y = 0, slot 1 crossing the
// small wall at x = 1.5 after 20 steps, an empty slot with values of its
// own, an occupancy byte of 2 and padding that is not zero.
void WriteInput(const std::string& path) {
  EnsembleState e;
  e.SlotCount = MaxSlots;
  e.TimeStep = 0.05L;
  e.A1 = 1, e.B1 = 2.718L, e.C1 = 5, e.D1 = 10, e.F1 = 20;
  e.A2 = 0.5L, e.B2 = 2.5L, e.C2 = 4, e.D2 = 9, e.F2 = 18;
  const int slot[] = {1, 2, 3, 31, 47, 52};
  const Extended80 x[] = {0.5L, -0.5L, 0.25L, 0, 1.25L, -1.5L};
  const Extended80 y[] = {0, 0.25L, -0.125L, 0, -0.5L, 0.75L};
  const Extended80 z[] = {0, 0, 1, 0.75L, -1, 0.5L};
  for (int k = 0; k < 6; ++k) {
    const int n = slot[k];
    e.Exists[n] = 1;
    e.PosX[n] = x[k], e.PosY[n] = y[k], e.PosZ[n] = z[k];
  }
  e.VelU[1] = 1;
  e.VelV[2] = 0.5L;
  e.VelW[31] = -0.25L;
  e.VelU[47] = 0.125L;
  e.Exists[47] = 2;
  e.PosX[9] = 42;  // empty slot
  EnsembleRecord record{};
  std::memset(record.Padding1, 0xA5, sizeof record.Padding1);
  std::memset(record.Padding2, 0x5A, sizeof record.Padding2);
  CopyToRecord(e, record);
  test::WriteText(path, std::string(reinterpret_cast<const char*>(&record), sizeof record));
}

class HeadlessRun : public test::MainFormTest, public ::testing::WithParamInterface<Case> {
 protected:
  void PrepareFiles() override {
    WriteInput(Path("in.tvx"));
    test::WriteText(StartFilePath, Path("in.tvx"));
  }

  // Presses Go and stops the run in the event turn after step n.
  void RunWindowFor(int n) {
    QTimer stopper;
    stopper.setInterval(0);
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      if (Run.StepCount >= n) {
        stopper.stop();
        Push("Go")->click();
      }
    });
    stopper.start();
    Push("Go")->click();
  }
};

TEST_P(HeadlessRun, GivesTheRecordTheWindowSavesAfterTheSameSteps) {
  ASSERT_EQ(FileName, Path("in.tvx"));
  GetParam().controls(*form);
  RunWindowFor(Steps);
  ASSERT_EQ(Run.StepCount, Steps);
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
  dialogs.saveAnswers.push_back(QString::fromStdString(Path("window.tvx")));
  Action("Saveas1")->trigger();

  std::vector<std::string> args = {"vorun-run",     Path("in.tvx"), "-o",
                                   Path("run.tvx"), "-n",           std::to_string(Steps)};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  std::ostringstream out, err;
  ASSERT_EQ(run::RunMain(args, out, err, false), 0) << err.str();

  const std::string window = test::ReadText(Path("window.tvx"));
  ASSERT_EQ(window.size(), 3776u);
  EXPECT_EQ(test::ReadText(Path("run.tvx")), window);
  // The run moved the taons, so equal files say something.
  EXPECT_NE(window.substr(112, 600), test::ReadText(Path("in.tvx")).substr(112, 600));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HeadlessRun,
    ::testing::Values(Case{"Exponential", {}, [](TMainForm&) {}},
                      Case{"PolyExponTaoscopeSplit15Wall3x3",
                           {"--formula", "PE", "--scope", "taoscope", "--split", "15", "--wall", "3x3"},
                           [](TMainForm& f) {
                             FindControl<QRadioButton>(f, "PolyExpon")->setChecked(true);
                             FindControl<QRadioButton>(f, "Taoscope")->setChecked(true);
                             FindControl<QRadioButton>(f, "Bk")->setChecked(true);
                             FindControl<QRadioButton>(f, "Thermos3X3")->setChecked(true);
                           }},
                      Case{"PolyExpSumNoBShellSplit10Wall20HeaterOn",
                           {"--formula", "PES", "--check2", "--split", "10", "--wall", "20x20", "--heater"},
                           [](TMainForm& f) {
                             FindControl<QRadioButton>(f, "PolyExpSum")->setChecked(true);
                             FindControl<QCheckBox>(f, "CheckBox2")->setChecked(true);
                             FindControl<QRadioButton>(f, "Ck")->setChecked(true);
                             FindControl<QRadioButton>(f, "Thermos20X20")->setChecked(true);
                             FindControl<QCheckBox>(f, "Warm")->setChecked(true);
                           }},
                      Case{"PolyExpSumNoOuterShellsWallNCoolerOn",
                           {"--formula", "PES", "--check3", "--wall", "NxN", "--cooler"},
                           [](TMainForm& f) {
                             FindControl<QRadioButton>(f, "PolyExpSum")->setChecked(true);
                             FindControl<QCheckBox>(f, "CheckBox3")->setChecked(true);
                             FindControl<QRadioButton>(f, "ThermosNXN")->setChecked(true);
                             FindControl<QCheckBox>(f, "Cool")->setChecked(true);
                           }},
                      Case{"ExpoPolyExpSumBlockadeHeaterAndCoolerWall3x3",
                           {"--formula", "EPES", "--blockade", "--heater", "--cooler", "--wall", "3x3"},
                           [](TMainForm& f) {
                             FindControl<QRadioButton>(f, "ExpoPolyExpSum")->setChecked(true);
                             FindControl<QCheckBox>(f, "Blockade")->setChecked(true);
                             FindControl<QCheckBox>(f, "Warm")->setChecked(true);
                             FindControl<QCheckBox>(f, "Cool")->setChecked(true);
                             FindControl<QRadioButton>(f, "Thermos3X3")->setChecked(true);
                           }},
                      Case{"EPESminusTaoscopeHeaterWall20Check1AndTimeStep",
                           {"--formula", "EPES-", "--scope", "taoscope", "--heater", "--wall", "20x20",
                            "--check1", "--dt", "0.02"},
                           [](TMainForm& f) {
                             FindControl<QRadioButton>(f, "EPESminus")->setChecked(true);
                             FindControl<QRadioButton>(f, "Taoscope")->setChecked(true);
                             FindControl<QCheckBox>(f, "Warm")->setChecked(true);
                             FindControl<QRadioButton>(f, "Thermos20X20")->setChecked(true);
                             FindControl<QCheckBox>(f, "CheckBox1")->setChecked(true);
                             FindControl<QLineEdit>(f, "EditDT")->setText("0.02");
                             QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
                             QApplication::sendEvent(FindControl<QLineEdit>(f, "EditDT"), &leave);
                           }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorun
