// The window's radio buttons against the table of choices: each button, known
// by its object name, shows its row's caption and sets its row's value in the
// step settings and the scene.
#include <QRadioButton>

#include "model/Choices.h"
#include "ui/main/MainFormFixture.h"

namespace vorun::test {
namespace {

template <class Row, std::size_t N, class Read>
void ExpectButtonsSet(TMainForm* form, const std::array<Row, N>& rows,
                      const std::array<const char*, N>& objectNames, Read read) {
  for (std::size_t i = 0; i < N; ++i) {
    SCOPED_TRACE(objectNames[i]);
    QRadioButton* button = FindControl<QRadioButton>(form, objectNames[i]);
    EXPECT_EQ(button->text().toStdString(), rows[i].caption);
    button->click();
    EXPECT_EQ(read(), rows[i].value);
  }
}

TEST_F(MainFormTest, EveryChoiceButtonSetsTheValueOfItsRow) {
  ExpectButtonsSet(form.get(), FormulaChoices,
                   {"PolyExpon", "Exponential", "PolyExpSum", "ExpoPolyExpSum", "EPESminus"},
                   [&] { return form->CurrentStepSettings().law.formula; });
  ExpectButtonsSet(form.get(), SplitChoices, {"Ak", "Bk", "Ck"}, [&] {
    EXPECT_EQ(form->MakeScene().split, form->CurrentStepSettings().law.colourSplit);
    return form->CurrentStepSettings().law.colourSplit;
  });
  ExpectButtonsSet(form.get(), ScopeChoices, {"Taoscope", "Gravoscope"}, [&] {
    EXPECT_EQ(form->MakeScene().scope, form->CurrentStepSettings().law.scope);
    return form->CurrentStepSettings().law.scope;
  });
  ExpectButtonsSet(form.get(), WallChoices, {"Thermos3X3", "Thermos20X20", "ThermosNXN", "Thermosout"},
                   [&] { return form->CurrentStepSettings().wall; });
}

}  // namespace
}  // namespace vorun::test
