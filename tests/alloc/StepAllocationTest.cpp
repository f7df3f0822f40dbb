// A step makes no allocation. The count replaces the global operator new,
// which is why this test is a program of its own: every other test keeps the
// standard library's allocator.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/EngineFixture.h"
#include "engine/Step.h"
#include "engine/StepCases.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The pair of the counting operator new; GCC cannot see that they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace vorun {
namespace {

using cases::MixedEnsemble;

// On one thread and on three: the pool, once made, allocates nothing either.
TEST(OnePassStep, AllocatesNothing) {
  TestEnsemble = MixedEnsemble();
  StepSettings s;
  s.law.formula = Formula::PolyExpSum;
  s.wall = WallMode::Thermos3X3;
  StepWorkspace serial, parallel;
  serial.threads = 1;
  parallel.threads = 3;
  AdvanceStep(TestEnsemble, s, serial);
  AdvanceStep(TestEnsemble, s, parallel);
  AdvanceStep(TestEnsemble, s);
  const long before = allocations;
  for (int n = 0; n < 20; ++n) {
    AdvanceStep(TestEnsemble, s, serial);
    AdvanceStep(TestEnsemble, s, parallel);
    AdvanceStep(TestEnsemble, s);
  }
  EXPECT_EQ(allocations, before);
  // The counter does count.
  int* volatile probe = new int(1);
  EXPECT_GT(allocations, before);
  delete probe;
}

}  // namespace
}  // namespace vorun
