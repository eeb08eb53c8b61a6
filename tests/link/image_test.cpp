#include <gtest/gtest.h>

#include "link/CEepData.h"
#include "link/VirtualLoop.h"

namespace tavro {
namespace {

class ImageTest : public ::testing::Test {
  protected:
    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    CEepData eep{ctx};
};

struct Initial {
    int group;
    int parameter;
    float value;
};

TEST_F(ImageTest, InitialContentsInBothCopies) {
    const Initial cells[] = {
        {0, 3, 1.0F},  {0, 12, 1.0F},   {0, 13, 1.0F},    {0, 14, 1.0F},   {0, 15, 1.0F},
        {0, 16, 1.0F}, {0, 22, 3.0F},   {1, 13, 0.1F},    {1, 14, 0.001F}, {1, 15, 0.0001F},
        {2, 12, 0.1F}, {2, 13, 0.001F}, {2, 14, 0.0001F}, {2, 54, 0.1F},   {2, 56, 0.0001F},
        {0, 0, 0.0F},  {0, 24, 0.0F},   {2, 11, 0.0F},    {18, 5, 0.0F},   {21, 9, 0.0F},
    };
    for (const auto& c : cells) {
        EXPECT_FLOAT_EQ(eep.GetCell(c.group, c.parameter, 0), c.value)
            << c.group << "/" << c.parameter;
        EXPECT_FLOAT_EQ(eep.GetCell(c.group, c.parameter, 1), c.value)
            << c.group << "/" << c.parameter;
    }
}

TEST_F(ImageTest, EveryStepStartsAsAPositioningStep) {
    for (int g = 3; g <= 17; ++g) {
        EXPECT_FLOAT_EQ(eep.GetCell(g, 5, 0), 6.0F);
        EXPECT_FLOAT_EQ(eep.GetCell(g, 5, 1), 6.0F);
        EXPECT_FLOAT_EQ(eep.GetCell(g, 6, 1), 1.0F);
        EXPECT_FLOAT_EQ(eep.GetCell(g, 9, 1), 0.7F);
        EXPECT_FLOAT_EQ(eep.GetCell(g, 0, 1), 0.0F);
        EXPECT_FALSE(eep.IsModified(g, 5));
    }
}

TEST_F(ImageTest, SecondAccessorDoesNotResetTheImage) {
    eep.SetCell(3, 5, 32774.0F, 1);
    CEepData second(ctx);
    EXPECT_FLOAT_EQ(second.GetCell(3, 5, 1), 32774.0F);
    EXPECT_TRUE(second.IsModified(3, 5));
}

TEST_F(ImageTest, GroupTwentyTwoIsGroupEighteen) {
    eep.SetCell(22, 2, 40.0F, 1);
    EXPECT_FLOAT_EQ(eep.GetCell(18, 2, 1), 40.0F);
    eep.Get(18, 0)[0] = -5000.0F;
    EXPECT_FLOAT_EQ(eep.GetCell(22, 0, 0), -5000.0F);
}

TEST_F(ImageTest, EqualCopiesAreNotModified) {
    eep.SetCell(0, 19, 2.5F, 1);
    EXPECT_TRUE(eep.IsModified(0, 19));
    eep.SetCell(0, 19, 2.5F, 0);
    EXPECT_FALSE(eep.IsModified(0, 19));
}

TEST_F(ImageTest, AddressesOutsideTheGroupsAreHarmless) {
    const int bad[][2] = {{-1, 0}, {23, 0}, {0, 25}, {1, 18}, {2, 57}, {3, 16}, {0, -1}};
    for (const auto& b : bad) {
        EXPECT_FALSE(ParameterImage::IsValid(b[0], b[1]));
        eep.SetCell(b[0], b[1], 99.0F, 1);
        EXPECT_FLOAT_EQ(eep.GetCell(b[0], b[1], 1), 0.0F);
    }
    EXPECT_EQ(ParameterImage::CellCount(2), 57);
    EXPECT_EQ(ParameterImage::CellCount(22), 16);
    EXPECT_EQ(ParameterImage::CellCount(99), 0);
}

}  // namespace
}  // namespace tavro
