#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "Bytes.h"
#include "model/EnsembleFile.h"
#include "model/Parameters.h"

namespace vorun {
namespace {

using test::Bits;

// The names are what users type and scripts store, so each is pinned to its
// place in the file here, independently of the table; a member set directly
// must come out at that offset, and the names must be found exactly.
TEST(ParameterNames, EachNamesItsOwnFieldOfTheFileAndState) {
  const struct {
    const char* name;
    std::size_t offset;
    Extended80 EnsembleState::*member;
  } expected[] = {
      {"dt", 0, &EnsembleState::TimeStep}, {"A1", 10, &EnsembleState::A1}, {"B1", 20, &EnsembleState::B1},
      {"C1", 30, &EnsembleState::C1},      {"D1", 40, &EnsembleState::D1}, {"F1", 50, &EnsembleState::F1},
      {"A2", 60, &EnsembleState::A2},      {"B2", 70, &EnsembleState::B2}, {"C2", 80, &EnsembleState::C2},
      {"D2", 90, &EnsembleState::D2},      {"F2", 100, &EnsembleState::F2}};
  ASSERT_EQ(std::size(expected), ParameterNames.size());
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const ParameterName* p = FindParameter(e.name);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->state, e.member);
    EXPECT_EQ(p->set, e.name[0] == 'd' ? 0 : e.name[1] - '0');
    EnsembleState state;
    state.*e.member = 0.375L;
    EnsembleRecord record{};
    CopyToRecord(state, record);
    const std::string bytes(reinterpret_cast<const char*>(&record), sizeof record);
    EXPECT_EQ(bytes.substr(e.offset, 10), Bits(0.375L));
    EXPECT_EQ(bytes.substr(0, e.offset) + bytes.substr(e.offset + 10), std::string(3766, '\0'));
    EXPECT_EQ(reinterpret_cast<const char*>(&(record.*p->record)) - reinterpret_cast<const char*>(&record),
              static_cast<std::ptrdiff_t>(e.offset));
  }
  for (const char* unknown : {"DT", "a1", "A3", "A1 ", "", "x"})
    EXPECT_EQ(FindParameter(unknown), nullptr) << unknown;
}

TEST(SlotFieldNames, EachNamesItsOwnArrayOfTheFile) {
  const char* names[] = {"x", "y", "z", "u", "v", "w"};
  ASSERT_EQ(SlotFieldNames.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_STREQ(SlotFieldNames[i].name, names[i]);
    EnsembleState state;
    state.SlotCount = MaxSlots;
    (state.*SlotFieldNames[i].state)[3] = 0.375L;
    EnsembleRecord record{};
    CopyToRecord(state, record);
    const std::string bytes(reinterpret_cast<const char*>(&record), sizeof record);
    const std::size_t offset = 112 + 600 * i + 20;  // slot 3 of the i-th array
    EXPECT_EQ(bytes.substr(offset, 10), Bits(0.375L));
    EXPECT_EQ(bytes.substr(0, offset) + bytes.substr(offset + 10), std::string(3766, '\0'));
  }
}

}  // namespace
}  // namespace vorun
