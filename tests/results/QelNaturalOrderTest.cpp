#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QelNaturalOrder.h"

TEST(QelNaturalOrder, NumbersByValueLettersWithoutCaseThenExactly) {
    // Each list is in the expected order; every pair is checked both ways.
    const std::vector<std::vector<std::u16string>> orders = {
        {u"file", u"file1", u"file2", u"file10", u"file10a", u"file11"},
        {u"a2b3", u"a2b10", u"a10b1"},
        {u"img7.png", u"img007.png", u"img08.png"},  // equal values: fewer leading zeros first
        {u"Alpha", u"alpha", u"beta", u"Gamma"},     // case only breaks ties
        {u"", u"0", u"00", u"1", u"a"},
        {u"x99999999999999999999998", u"x99999999999999999999999", u"x100000000000000000000000"},
    };
    for (const auto& order : orders)
        for (std::size_t i = 0; i < order.size(); ++i)
            for (std::size_t j = 0; j < order.size(); ++j)
                EXPECT_TRUE((qel::NaturalCompare(order[i], order[j]) <=> 0) == (i <=> j)) << i << " against " << j;
}
