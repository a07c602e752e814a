#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tabs/choice_lists.h"

namespace tessivar {
namespace {

std::span<const std::string_view> items_of(std::string_view combo) {
    for (const auto& list : choice_lists())
        if (list.combo == combo) return list.items;
    ADD_FAILURE() << "no list for " << combo;
    return {};
}

TEST(ChoiceLists, TwelveListsInControlOrderWithTheirSizes) {
    const std::vector<std::size_t> sizes = {10, 9, 18, 4, 5, 18, 2, 2, 5, 9, 7, 4};
    const auto lists = choice_lists();
    ASSERT_EQ(lists.size(), sizes.size());
    for (std::size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(lists[i].combo, "ComboBox" + std::to_string(i + 1));
        EXPECT_EQ(lists[i].items.size(), sizes[i]) << lists[i].combo;
    }
}

TEST(ChoiceLists, DisplayOrderIsKeptNotSorted) {
    const auto genres = items_of("ComboBox1");
    ASSERT_EQ(genres.size(), 10u);
    EXPECT_EQ(genres[0], "AoS");
    EXPECT_EQ(genres[1], "AoS: DotA");
    EXPECT_EQ(genres[2], "Melee");
    EXPECT_EQ(genres[9], "Прочее");
    EXPECT_EQ(items_of("ComboBox6").back(), "Осеняя Деревня");
    EXPECT_EQ(items_of("ComboBox3")[6], "1-10");
}

TEST(ChoiceLists, MapSizesUseTheCyrillicLetter) {
    const auto sizes = items_of("ComboBox5");
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0], "32\xD1\x85" "32");
    for (std::string_view size : sizes) EXPECT_EQ(size.find('x'), std::string_view::npos) << size;
}

TEST(ChoiceLists, OddCharactersSurviveVerbatim) {
    EXPECT_EQ(items_of("ComboBox11").front(), "8 000 Hz)");
    EXPECT_EQ(items_of("ComboBox12").front(), "Звук)");
    const auto path = items_of("ComboBox7").front();
    EXPECT_EQ(path, "Textures\\HeroMountainKing.blp");
}

}  // namespace
}  // namespace tessivar
