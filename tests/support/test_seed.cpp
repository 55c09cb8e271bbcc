#include "tests/support/test_seed.h"

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvel::test {

std::uint32_t testSeed()
{
    std::uint32_t seed = defaultTestSeed;
    if (const char* set = std::getenv("QRVL_TEST_SEED")) {
        const std::string_view text(set);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            throw std::invalid_argument("QRVL_TEST_SEED is not a number below 2^32: \"" + std::string(text) + "\"");
    }
    std::cout << "QRVL_TEST_SEED=" << seed << std::endl;
    return seed;
}

}  // namespace quorvel::test
