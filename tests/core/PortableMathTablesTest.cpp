// The constant tables of the portable sine, cosine and arctangent against
// MPFR, entry by entry. The disabled test prints math/PortableMathTables.h,
// between the gtest lines that start and end with "[":
//   build/tests/orvane_core_tests --gtest_also_run_disabled_tests
//       --gtest_filter='PortableMathTables.DISABLED_PrintHeader' | grep -v '^\['
// (one command line).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "math/PortableMathTables.h"
#include "tests/core/PortableMathReference.h"

namespace {
namespace reference = portable_math_reference;
namespace tables = portable_math_tables;

template <size_t N>
std::vector<uint32_t> asVector(const uint32_t (&limbs)[N]) {
    return std::vector<uint32_t>(limbs, limbs + N);
}

void expectStepTable(const double (&dd)[129][2], const uint32_t (&wide)[129][8], void (*entry)(mpfr_ptr, int),
                     const char* name) {
    reference::BigFloat v(reference::kTablePrecision);
    for (int j = 0; j <= 128; ++j) {
        entry(v.get(), j);
        const reference::DoubleDouble want = reference::doubleDouble(v.get());
        EXPECT_EQ(dd[j][0], want.hi) << name << " " << j;
        EXPECT_EQ(dd[j][1], want.lo) << name << " " << j;
        EXPECT_EQ(asVector(wide[j]), reference::wideLimbs(v.get())) << name << " " << j;
    }
}

TEST(PortableMathTables, MatchMpfr) {
    EXPECT_EQ(asVector(tables::kTwoOverPi), reference::twoOverPiWords());

    reference::BigFloat halfPi(reference::kTablePrecision);
    reference::halfPi(halfPi.get());
    const reference::DoubleDouble hp = reference::doubleDouble(halfPi.get());
    EXPECT_EQ(tables::kHalfPiHi, hp.hi);
    EXPECT_EQ(tables::kHalfPiLo, hp.lo);
    EXPECT_EQ(asVector(tables::kHalfPiWide), reference::wideLimbs(halfPi.get()));

    EXPECT_EQ(tables::kStepInverse, reference::stepInverse());
    EXPECT_EQ((std::vector<double>{tables::kStep1, tables::kStep2, tables::kStep3, tables::kStep4}),
              reference::stepParts());

    expectStepTable(tables::kSinStepDD, tables::kSinStepWide, reference::sinOfStep, "sin");
    expectStepTable(tables::kAtanStepDD, tables::kAtanStepWide, reference::atanOfStep, "atan");
}

TEST(PortableMathTables, DISABLED_PrintHeader) { reference::printTables(stdout); }

}  // namespace
