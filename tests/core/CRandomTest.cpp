// The lightning's random numbers: the very sequence the C library's rand()
// gives an unseeded program, which the flashes were always timed by.
#include <gtest/gtest.h>

#include <cstdlib>

#include "math/CRandom.h"

TEST(CRandom, StartsWithTheUnseededSequence) {
    // The first outputs of glibc's rand() without srand(), as documented by
    // many a test suite; they hold whatever C library runs the tests.
    CRandom random;
    const int first[] = {1804289383, 846930886, 1681692777, 1714636915, 1957747793};
    for (const int value : first) EXPECT_EQ(random.next(), value);
}

#if defined(__GLIBC__)
TEST(CRandom, FollowsTheCLibraryForAMillionNumbers) {
    std::srand(1);  // the state an unseeded program starts in
    CRandom random;
    for (int i = 0; i < 1000000; ++i) ASSERT_EQ(random.next(), std::rand()) << "number " << i;
}
#endif

TEST(CRandom, CopiesGoOnIndependently) {
    CRandom a;
    for (int i = 0; i < 100; ++i) a.next();
    CRandom b = a;
    const int fromA = a.next();
    a.next();
    EXPECT_EQ(b.next(), fromA);
    EXPECT_GE(b.below(10), 0);
    EXPECT_LT(b.below(10), 10);
}
