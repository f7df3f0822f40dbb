// The long check of Exp and Ln: many more random inputs than CI can afford,
// in the same regions, each compared with MPFR (value and flags). Not a
// benchmark and not part of CTest; run it by hand:
//
//   transcendental_check [count = 100000000] [seed = 1]
//
// It prints the count, the number of wrong results (each one as well, up to
// 20) and how many calls went to the multiple-precision fallback.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/model/TranscendentalCheck.h"

int main(int argc, char* argv[]) {
  using namespace vorun;
  const long long count = argc > 1 ? std::atoll(argv[1]) : 100000000;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  check::Sampler sampler(seed);
  long long wrong = 0;
  long long perFunction[2] = {0, 0};
  for (long long n = 0; n < count; ++n) {
    const auto region = static_cast<check::Region>(n % 8);
    const bool exp = check::IsExp(region);
    ++perFunction[exp ? 0 : 1];
    const std::string failure = check::CheckOne(exp, sampler.Next(region));
    if (!failure.empty() && ++wrong <= 20) std::printf("%s\n", failure.c_str());
    if ((n + 1) % 10000000 == 0) {
      std::printf("%lld checked, %lld wrong, %llu fallbacks\n", n + 1, wrong,
                  static_cast<unsigned long long>(TranscendentalFallbacks()));
      std::fflush(stdout);
    }
  }
  std::printf("done: %lld inputs (Exp %lld, Ln %lld), %lld wrong, %llu fallbacks\n", count, perFunction[0],
              perFunction[1], wrong, static_cast<unsigned long long>(TranscendentalFallbacks()));
  return wrong == 0 ? 0 : 1;
}
