// The "did you mean" helper: the edit distance against a plain recursive model over many
// random short names, and a misspelling of one known name finds that name.
#include "scenefile/NearestName.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>

namespace {

// The distance by its definition: the cheapest of the three edits at the first characters.
size_t model_distance(const std::string& a, const std::string& b) {
    std::function<size_t(size_t, size_t)> d = [&](size_t i, size_t j) -> size_t {
        if (i == a.size()) return b.size() - j;
        if (j == b.size()) return a.size() - i;
        const bool same = std::tolower(static_cast<unsigned char>(a[i])) ==
                          std::tolower(static_cast<unsigned char>(b[j]));
        return std::min({d(i + 1, j) + 1, d(i, j + 1) + 1, d(i + 1, j + 1) + (same ? 0 : 1)});
    };
    return d(0, 0);
}

std::string random_name(std::mt19937& random, size_t most) {
    static const char kLetters[] = "abAB_c";
    std::string name(std::uniform_int_distribution<size_t>(0, most)(random), 'a');
    for (char& c : name)
        c = kLetters[std::uniform_int_distribution<size_t>(0, sizeof kLetters - 2)(random)];
    return name;
}

TEST(NearestName, TheEditDistanceMatchesTheModel) {
    std::mt19937 random(23);
    for (int round = 0; round < 3000; ++round) {
        const std::string a = random_name(random, 6), b = random_name(random, 6);
        ASSERT_EQ(vantri::edit_distance(a, b), model_distance(a, b)) << a << " / " << b;
    }
}

TEST(NearestName, AMisspellingOfAKnownSymbolFindsIt) {
    const std::vector<std::string> symbols = {"CROWDGEN_COUNT_X", "CROWDGEN_COUNT_Y",
                                              "CROWDGEN_SEED",    "CROWDGEN_SPEED",
                                              "CROWDGEN_SPACING", "CROWDGEN_JITTER"};
    std::mt19937 random(7);
    for (const std::string& symbol : symbols) {
        for (int round = 0; round < 50; ++round) {
            // One letter dropped, changed or added: the symbol itself is the nearest, unless
            // the change made it as near another (SEED and SPEED are two edits apart).
            std::string typo = symbol;
            const size_t at = std::uniform_int_distribution<size_t>(0, typo.size() - 1)(random);
            switch (round % 3) {
            case 0:
                typo.erase(at, 1);
                break;
            case 1:
                typo[at] = typo[at] == 'Q' ? 'W' : 'Q';
                break;
            default:
                typo.insert(at, 1, 'Q');
            }
            const std::string found = vantri::nearest_name(typo, symbols);
            ASSERT_FALSE(found.empty()) << typo;
            EXPECT_EQ(vantri::edit_distance(typo, found), 1u) << typo << " -> " << found;
        }
    }
    EXPECT_EQ(vantri::nearest_name("crowdgen_seed", symbols), "CROWDGEN_SEED");
    EXPECT_EQ(vantri::did_you_mean("TOTALLY_ELSE", symbols), "");
    EXPECT_EQ(vantri::did_you_mean("", symbols), "");
}

} // namespace
