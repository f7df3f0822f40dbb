// The long check of Exp and Ln: many more random inputs than CI can afford,
// in the same regions, each compared with MPFR (value and flags), and every
// batch path of this processor compared with those results (values, and the
// flags of each batch against those of its single calls). Not a benchmark
// and not part of CTest; run it by hand:
//
//   transcendental_check [count = 100000000] [seed = 1]
//
// It prints the count, the number of wrong results (each one as well, up to
// 20) and how many calls went to the multiple-precision fallback.
#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/model/TranscendentalCheck.h"

namespace {

using namespace vorun;

constexpr int Batch = 256;

// Values and flags of one batch of single calls (exp: the even positions of
// a chunk, whose regions are those of Exp; Ln the odd ones).
struct Singles {
  std::vector<Extended80> x, y;
  int flags = 0;
};

long long CheckPaths(bool exp, const Singles& s) {
  long long wrong = 0;
  std::vector<Extended80> y(s.x.size());
  for (BatchPath path : AllBatchPaths) {
    if (!BatchPathAvailable(path)) continue;
    std::feclearexcept(FE_ALL_EXCEPT);
    (exp ? transcendental::ExpBatchOn : transcendental::LnBatchOn)(path, s.x.data(), y.data(),
                                                                   static_cast<int>(s.x.size()));
    const int flags = std::fetestexcept(FE_ALL_EXCEPT);
    for (std::size_t n = 0; n < y.size(); ++n) {
      if (check::SameValue(y[n], s.y[n])) continue;
      if (++wrong <= 20)
        std::printf("%s %s(%La) = %La, single call %La\n", BatchPathName(path), exp ? "ExpBatch" : "LnBatch",
                    s.x[n], y[n], s.y[n]);
    }
    if (flags != s.flags && ++wrong <= 20)
      std::printf("%s %s: flags %#x, single calls %#x\n", BatchPathName(path), exp ? "ExpBatch" : "LnBatch",
                  flags, s.flags);
  }
  return wrong;
}

}  // namespace

int main(int argc, char* argv[]) {
  const long long count = argc > 1 ? std::atoll(argv[1]) : 100000000;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  check::Sampler sampler(seed);
  long long wrong = 0, wrongBatches = 0;
  long long perFunction[2] = {0, 0};
  std::printf("batch paths:");
  for (BatchPath path : AllBatchPaths)
    if (BatchPathAvailable(path)) std::printf(" %s", BatchPathName(path));
  std::printf("\n");
  Singles singles[2];
  for (long long n = 0; n < count; ++n) {
    const auto region = static_cast<check::Region>(n % 8);
    const bool exp = check::IsExp(region);
    ++perFunction[exp ? 0 : 1];
    const Extended80 x = sampler.Next(region);
    const std::string failure = check::CheckOne(exp, x);
    if (!failure.empty() && ++wrong <= 20) std::printf("%s\n", failure.c_str());
    Singles& s = singles[exp ? 0 : 1];
    std::feclearexcept(FE_ALL_EXCEPT);
    s.y.push_back(exp ? Exp(x) : Ln(x));
    s.flags |= std::fetestexcept(FE_ALL_EXCEPT);
    s.x.push_back(x);
    for (int f = 0; f < 2; ++f) {
      if (singles[f].x.size() < Batch && n + 1 < count) continue;
      if (!singles[f].x.empty()) wrongBatches += CheckPaths(f == 0, singles[f]);
      singles[f] = Singles();
    }
    if ((n + 1) % 10000000 == 0) {
      std::printf("%lld checked, %lld wrong, %lld wrong in batches, %llu fallbacks\n", n + 1, wrong,
                  wrongBatches, static_cast<unsigned long long>(TranscendentalFallbacks()));
      std::fflush(stdout);
    }
  }
  std::printf(
      "done: %lld inputs (Exp %lld, Ln %lld), %lld wrong, %lld wrong in batches, %llu fallbacks, %llu "
      "set aside by the vector paths\n",
      count, perFunction[0], perFunction[1], wrong, wrongBatches,
      static_cast<unsigned long long>(TranscendentalFallbacks()),
      static_cast<unsigned long long>(BatchSetAside()));
  return wrong == 0 && wrongBatches == 0 ? 0 : 1;
}
