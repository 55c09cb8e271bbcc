// tests/support/test_seed.h: the seed of a test that draws random numbers. It is fixed unless
// QRVL_TEST_SEED gives another, and the test prints it, so that any failure can be replayed.
#pragma once

#include <cstdint>

namespace quorvel::test {

inline constexpr std::uint32_t defaultTestSeed = 20261208;

// QRVL_TEST_SEED when set, else defaultTestSeed; printed as "QRVL_TEST_SEED=N". Throws
// std::invalid_argument when the variable is set to something that is not a seed.
std::uint32_t testSeed();

}  // namespace quorvel::test
