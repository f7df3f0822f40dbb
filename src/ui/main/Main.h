// The main window: the strip of wall choices on top, the scene below it, the
// control panel Pan along the bottom, the menu bar. Pan holds the listing and
// commentary pages, the scope buttons and the run panel; the panels own their
// controls and tell the window through signals what the user did. Every
// control carries a name as its objectName, by which tests and scripts of the
// window find it.
//
// The implementation is split by concern: Main.cpp (layout, keys, paint,
// timer, parameter commits), MainControls.cpp (the controls and panels put in
// place), MainListing.cpp (the listing), MainMenu.cpp (the menu tree),
// MainFiles.cpp (ensemble commands and start-up), MainRun.cpp (the run loop
// and what Go and Null00 do), MainNavigation.cpp (view buttons, mouse and move
// commands).
#pragma once

#include <QLocale>
#include <QMainWindow>
#include <QStringList>
#include <QWidget>
#include <exception>
#include <string>

#include "engine/Settings.h"
#include "model/EnsembleFile.h"
#include "ui/main/RunPanel.h"
#include "ui/main/SceneView.h"
#include "ui/widgets/RepaintPacer.h"
#include "ui/widgets/Widgets.h"
#include "view/Renderer.h"

class QAction;
class QButtonGroup;
class QFrame;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace vorun {

class TMainForm;
class THelpWindow;
class TReadoutsWindow;
class TRunPanel;
class TWallBar;
class TListingPage;
class TEditDlg;
class TAboutBox;
struct Session;

class TMainForm : public QMainWindow {
 public:
  // The window shows and changes the session's ensemble, run and view.
  explicit TMainForm(Session& session);
  ~TMainForm() override;

  // The particle editor that File > New opens, and the about box; without
  // them New does nothing and About makes a box of its own.
  void AttachDialogs(TEditDlg* editor, TAboutBox* aboutBox);

  // Opens the named ensemble file as File > Open does with a chosen name:
  // the comment question first, a failure reported, the name added to the
  // recent files once the file is on show.
  void OpenEnsemble(const QString& name);
  // The files named on the command line: the first one is opened, a relative
  // name taken from the working folder.
  void OpenFromCommandLine(const QStringList& files);

  // The ensemble changed outside the window: the listing, the parameter
  // fields and the scene show it again.
  void FillListing();
  void RefreshParameterFields();
  void PaintTaons();
  void PaintSpiral();
  void PaintCurrentMode();

  // The renderers' view of the window at this moment: canvas, width, top of Pan, scheme.
  vorun::Scene MakeScene();
  // The scene as it is drawn: the width of the window, down to the top of Pan.
  QImage ScenePicture();
  // The user's choices for the next step, read from the controls now.
  StepSettings CurrentStepSettings() const;
  GoKind GoButtonKind() const;
  // The simulated time at this step: the sum of the time steps the run used,
  // so that a changed time step does not rescale the steps before it.
  Extended80 SimulatedTime(std::int32_t step);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // During a run the window closes once the run has ended after its current step.
  void closeEvent(QCloseEvent* event) override;
  // The failures met before the window was on the screen are reported now.
  void showEvent(QShowEvent* event) override;

 private:
  // Tests reach the controls by the names they carry (NameControls); this
  // gives them the few steps that no control reaches.
  friend struct MainFormProbe;

  // --- scene and the strip above it --------------------------------------
  // The window's central widget: the strip on top of the scene.
  QWidget* Desktop;
  TWallBar* TopStrip;
  TSceneView* SceneView;
  QFrame* Bevel;

  // --- bottom panel ----------------------------------------------------------
  QFrame* Pan;
  QTabWidget* PageControl;
  TListingPage* TabSheet1;
  QWidget* TabSheet2;
  QPlainTextEdit* Comment;
  QLineEdit* FName;
  QFrame* RadioGroup2;
  QRadioButton* Taoscope;
  QRadioButton* Gravoscope;

  TRunPanel* Panel1;

  QButtonGroup* ScopeGroup;

  QTimer* Timer;

  // --- menu (built in one place, CreateActions) -----------------------------
  QMenu* File1 = nullptr;
  QAction* New1 = nullptr;
  QAction* Open1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* Saveas1 = nullptr;
  QAction* Exit1 = nullptr;
  QMenu* View1 = nullptr;
  QMenu* Images = nullptr;
  QAction* Daons1 = nullptr;
  QAction* Spiral1 = nullptr;
  QAction* ShowSpin = nullptr;
  QAction* ShowNumbersOfPoints = nullptr;
  QAction* MoveToCenter = nullptr;
  // Never shown: its items act through their shortcuts only.
  QMenu* Manager1 = nullptr;
  QAction* Left1 = nullptr;
  QAction* Right1 = nullptr;
  QAction* Up1 = nullptr;
  QAction* Down1 = nullptr;
  QMenu* Help0 = nullptr;
  QAction* Help1 = nullptr;
  QAction* RusHelp = nullptr;
  QAction* PolHelp = nullptr;
  QAction* About1 = nullptr;
  // The built-in help, created at its first showing.
  THelpWindow* HelpWindow = nullptr;
  // File > Recent Files, File > Export Picture, View > Fit to View and
  // View > Readouts (MainDesktop.cpp, MainPicture.cpp, Readouts.cpp).
  QMenu* RecentFiles = nullptr;
  QAction* ExportPicture = nullptr;
  QAction* FitToView = nullptr;
  QAction* ShowReadouts = nullptr;
  TReadoutsWindow* Readouts = nullptr;

  Session& session_;
  TEditDlg* editor_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;

  // --- handlers --------------------------------------------------------------
  void FormCreate();
  void FormPaint();
  void FormResize();
  void TimerTimer();
  void ShowSpinClick();
  void ShowNumbersOfPointsClick();
  void DaonsTableDblClick();
  // Leave event of a parameter field: its text into the matching parameter.
  // False when the text is no number (reported).
  bool ParameterFieldExit(std::size_t index);

  // Ensemble commands and start-up; the particle editor (MainEditor.cpp).
  void New1Click();
  void Open1Click();
  // The recent files list gains the name; the submenu shows the stored list.
  void NoteRecentFile(const QString& name);
  void RefreshRecentFiles();
  void ExportPictureClick();
  void FitToViewClick();
  void ReadoutsClick();
  void Save1Click();
  void Saveas1Click();
  void Daons1Click();
  void Spiral1Click();
  void CommentChange();
  void CommentExit();
  void Exit1Click();

  // Run controls.
  void GoClick();
  void RunLoop(std::int32_t n);
  // The window's part of a run step: the step label, the scene and the
  // listing, all paced, so that it allocates nothing once warm.
  void ShowStep();
  void ShowStepLabel();
  void Null00Click();
  void LTimeDblClick();

  // View navigation.
  void DaoTetaClick();
  void DaoTeta1Click();
  void DaoPsiClick();
  void DaoPsi1Click();
  void DaoPhiClick();
  void DaoPhi1Click();
  void DaoStopClick();
  void DaoBackClick();
  void DaoForvardClick();
  void TrackBarChange();
  void FormMouseDown(Qt::MouseButton button, int x, int y);
  void FormMouseUp(Qt::MouseButton button, int x, int y);
  void Left1Click();
  void Right1Click();
  void Up1Click();
  void Down1Click();
  void MoveToCenterClick();

  // Help and about.
  void Help1Click();
  void RusHelpClick();
  void PolHelpClick();
  void About1Click();

  // The design: the client area is 604 wide, the strip and the scene 176 high above the panel.
  static constexpr int DesignWidth = 604;
  static constexpr int DesignSceneHeight = 176;
  // Three pixels more than the 201 of the design, which cut Go and the lower
  // arrows off at the window's bottom edge.
  static constexpr int PanHeight = 204;
  // The room Panel1 keeps at its right, from the design (604 - 362).
  static constexpr int Panel1Room = 242;
  // The scope buttons to the right of the tab bar, in the room left to them.
  void PlaceScopeButtons();
  void FitIntoPages();

  void CreateControls();
  // Each control and the timer carry the name of their member.
  void NameControls();
  void CreateTopControls();
  void CreatePanel();
  void CreateRunPanel();
  void CreateActions();
  void CreateViewMoveActions();
  void CreateHelpActions();
  void CreateDesktopActions();
  void ApplyLayoutRule();
  void UpdateSceneCentre();
  // Enter and Escape for the whole window: Go's default and cancel roles.
  bool HandleDialogKey(QWidget* target, int key);
  // Step 5 of start-up: the last ensemble, or a built-in figure. True when an
  // ensemble file was read.
  bool LoadLastEnsemble();
  // Reads FileName into the ensemble. When the file cannot be opened, or
  // fails while it is read (then rethrown), the easy square goes on show
  // instead, and a file that failed is no longer the Save target.
  bool TryReadOrFallBack(bool nameTheSquare);
  // The ensemble in memory on show as freshly opened from FileName, which
  // becomes the Save target: step 0, Go and Null00 enabled, the scene, the
  // listing and the fields refilled.
  void ShowOpenedEnsemble();
  // The comment file of FileName into the memo, or an empty memo when it has
  // none: another file's text left there would be saved beside this one. A
  // comment file that is there but cannot be read is reported.
  void LoadCommentIntoMemo();
  void ShowComment(const QString& text);
  // The memo's text into the comment file of FileName; false (reported) when
  // that failed, and the text is then still a change to ask about.
  bool SaveCommentOrReport();
  // Before the ensemble on show is replaced or the window closes: asks about
  // typed comment text, then about an ensemble that differs from its file.
  // False when the user cancelled or a save failed; nothing is lost then.
  bool MaybeSave();
  // The ensemble part of MaybeSave, for commands that replace the ensemble but keep the comment.
  bool MaybeSaveEnsemble();
  // The ensemble as it stands is the one its file holds (just read or saved).
  void MarkEnsembleSaved();
  bool EnsembleDiffersFromFile() const;
  // The caption names the file on show and marks an ensemble that differs from it.
  void UpdateTitle();
  // Reports a failure to the user. Before the window is on the screen the
  // report waits until it is, so that it comes with the window it belongs to.
  void Report(const QString& message);
  template <class Body>
  bool Attempt(Body&& body) {
    try {
      body();
      return true;
    } catch (const std::exception& e) {
      Report(QString::fromUtf8(e.what()));
      return false;
    }
  }
  // The ensemble into a file the user chose, which becomes the Save target.
  void SaveUnderChosenName(const QString& name);
  // The run starts with what the focused parameter field shows; false when
  // its text is no number.
  bool TakeFocusedField();
  // Go, the indicators, Null00 and "Show Images" for a running or a stopped run.
  void ShowRunState(bool running);

  // Run loops in progress: a press on Go between two steps of a stopped-again
  // run can start another loop inside the first one.
  int runDepth_ = 0;
  bool closeRequested_ = false;
  // The file that Save writes without asking: one the user opened or chose,
  // or the last ensemble named by the start file while it does not exist.
  // Empty while the ensemble on show belongs to no such file.
  std::string savedName_;
  // Set while the program itself fills the memo, which is no change by the user.
  bool settingComment_ = false;
  // What the ensemble's file holds, as last read or written; the caption's
  // mark and the question at quit compare the live ensemble with it.
  EnsembleRecord savedRecord_{};
  QStringList pendingReports_;
  // The time at clockStep_, and the time step used since.
  Extended80 clockBase_ = 0;
  std::int32_t clockStep_ = 0;
  Extended80 clockDt_ = 0;
  bool shown_ = false;
  RepaintPacer stepLabelPacer_{[this] { ShowStepLabel(); }};
  // During a run the scene is drawn only as often as the screen shows it;
  // what needs the picture at once (the end of a run, Export Picture) flushes.
  RepaintPacer scenePacer_{[this] { PaintTaons(); }};
};

// The decimal separator numbers are shown and read with: the locale's, when it
// is a single ASCII character, else '.'.
char LocaleDecimalSeparator(const QLocale& locale);

// The application's title, which message boxes carry, and the decimal
// separator of the user's locale; once, before the windows are made.
void SetUpApplication();

}  // namespace vorun
