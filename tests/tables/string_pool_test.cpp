#include "tables/string_pool.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorvel::tables;

TEST(StringPool, SameTextSameNumberAcrossGrowth)
{
    StringPool pool;
    std::vector<TextId> ids;
    for (int i = 0; i < 5000; ++i) ids.push_back(pool.intern("T" + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) {
        EXPECT_EQ(pool.intern("T" + std::to_string(i)), ids[i]);
        EXPECT_EQ(pool.find("T" + std::to_string(i)), ids[i]);
        EXPECT_EQ(pool.text(ids[i]), "T" + std::to_string(i));
    }
    EXPECT_EQ(pool.size(), 5001u);
    EXPECT_EQ(pool.find("absent"), nullText);
}

TEST(StringPool, EmptyTextIsARealTextDistinctFromNull)
{
    StringPool pool;
    const TextId empty = pool.intern("");
    EXPECT_NE(empty, nullText);
    EXPECT_EQ(pool.find(""), empty);
    EXPECT_EQ(pool.text(empty), "");
}

TEST(StringPool, RanksFollowByteOrderWithHighBytesLast)
{
    StringPool pool;
    const TextId late = pool.intern("23:59");
    const TextId early = pool.intern("00:00");
    const TextId accented = pool.intern("\xC9VORA");  // bytes above 127 order after ASCII letters
    const TextId plain = pool.intern("ZURICH");
    const auto& ranks = pool.ranks();
    EXPECT_EQ(ranks[nullText], 0u);
    EXPECT_LT(ranks[early], ranks[late]);
    EXPECT_LT(ranks[late], ranks[plain]);
    EXPECT_LT(ranks[plain], ranks[accented]);
    // A new text invalidates the ranks; asking again accounts for it.
    const TextId middle = pool.intern("12:00");
    EXPECT_LT(pool.ranks()[early], pool.ranks()[middle]);
    EXPECT_LT(pool.ranks()[middle], pool.ranks()[late]);
}
