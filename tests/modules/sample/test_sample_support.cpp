// The sample game's helpers: the demo script parser and the screen
// arithmetic of its GDI drawing.
#include "demo_script.h"
#include "screen_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

using sample::DemoStep;

TEST(DemoScript, ParsesStepsAndComments) {
    std::vector<DemoStep> steps;
    std::string error;
    ASSERT_TRUE(sample::ParseDemoScript("; demo\r\n0 wait MainScreen\r\n\r\n1.5 shot menu_1\n  0.25\tkey f\n"
                                        "# c\n60 key Escape\n0 key 0\n2 key Tab",
                                        &steps, &error))
        << error;
    ASSERT_EQ(6u, steps.size());
    EXPECT_EQ(DemoStep::kWait, steps[0].action);
    EXPECT_EQ("MainScreen", steps[0].name);
    EXPECT_EQ(0u, steps[0].delayMs);
    EXPECT_EQ(DemoStep::kShot, steps[1].action);
    EXPECT_EQ("menu_1", steps[1].name);
    EXPECT_EQ(1500u, steps[1].delayMs);
    EXPECT_EQ(DemoStep::kKey, steps[2].action);
    EXPECT_EQ('F', steps[2].key);  // letters in either case
    EXPECT_EQ(250u, steps[2].delayMs);
    EXPECT_EQ(0x1B, steps[3].key);
    EXPECT_EQ(60000u, steps[3].delayMs);
    EXPECT_EQ('0', steps[4].key);
    EXPECT_EQ(0x09, steps[5].key);
}

TEST(DemoScript, RefusesBadLinesWithTheirNumber) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"1 key F\nkey F", "line 2: expected DELAY ACTION ARGUMENT"},
        {"1 key F extra", "line 1: expected DELAY ACTION ARGUMENT"},
        {"x key F", "line 1: delay 'x' is not a number of seconds from 0 to 60"},
        {"1s key F", "line 1: delay '1s' is not a number of seconds from 0 to 60"},
        {"-1 key F", "line 1: delay '-1' is not a number of seconds from 0 to 60"},
        {"60.1 key F", "line 1: delay '60.1' is not a number of seconds from 0 to 60"},
        {"nan key F", "line 1: delay 'nan' is not a number of seconds from 0 to 60"},
        {"1 key F1", "line 1: unknown key 'F1'"},
        {"1 key !", "line 1: unknown key '!'"},
        {"1 shot ..\\..\\evil", "line 1: bad name '..\\..\\evil'"},
        {"1 shot a/b", "line 1: bad name 'a/b'"},
        {"1 wait abcdefghijabcdefghijabcdefghij12", "line 1: bad name 'abcdefghijabcdefghijabcdefghij12'"},
        {"1 click F", "line 1: unknown action 'click'"},
    };
    for (const auto& c : cases) {
        std::vector<DemoStep> steps(1);
        std::string error;
        EXPECT_FALSE(sample::ParseDemoScript(c.text, &steps, &error)) << c.text;
        EXPECT_EQ(c.error, error) << c.text;
        EXPECT_TRUE(steps.empty());
    }
    std::string many;
    for (int i = 0; i <= 200; ++i) many += "0 key A\n";
    std::vector<DemoStep> steps;
    std::string error;
    EXPECT_FALSE(sample::ParseDemoScript(many, &steps, &error));
    EXPECT_EQ("line 201: more than 200 steps", error);
    EXPECT_TRUE(sample::ParseDemoScript(std::string(31, 'n').insert(0, "0 shot "), &steps, &error));
}

TEST(ScreenLayout, FractionsToPixels) {
    const struct {
        float x, y, w, h;
        int sw, sh;
        sample::PixelRect expected;
    } cases[] = {
        {0, 0, 1, 1, 800, 600, {0, 0, 800, 600}},
        {0.03f, 0.04f, 0.36f, 0.25f, 800, 600, {24, 24, 288, 150}},
        {0.5f, 0.5f, 0.5f, 0.5f, 801, 601, {401, 301, 400, 300}},  // edges rounded, not sizes
        {0.2f, 0.2f, -0.1f, 0, 800, 600, {160, 120, 0, 0}},         // never negative
        {-0.1f, 1.2f, 0.2f, 0.1f, 100, 100, {-10, 120, 20, 10}},    // off the surface
        {1e30f, -1e30f, 1, 1, 800, 600, {1000000, -1000000, 0, 0}},
    };
    for (const auto& c : cases) {
        const sample::PixelRect r = sample::ToPixels(c.x, c.y, c.w, c.h, c.sw, c.sh);
        EXPECT_EQ(c.expected.left, r.left) << c.x;
        EXPECT_EQ(c.expected.top, r.top) << c.y;
        EXPECT_EQ(c.expected.width, r.width) << c.w;
        EXPECT_EQ(c.expected.height, r.height) << c.h;
    }
    // Neighbours that share an edge in fractions share it in pixels.
    const sample::PixelRect left = sample::ToPixels(0, 0, 1 / 3.0f, 1, 800, 600);
    const sample::PixelRect right = sample::ToPixels(1 / 3.0f, 0, 2 / 3.0f, 1, 800, 600);
    EXPECT_EQ(left.left + left.width, right.left);
    EXPECT_EQ(800, right.left + right.width);
}

TEST(ScreenLayout, FontHeightsAndColours) {
    EXPECT_EQ(16, sample::FontHeight(16, 480));
    EXPECT_EQ(20, sample::FontHeight(16, 600));
    EXPECT_EQ(1, sample::FontHeight(1, 100));  // tiny but visible
    EXPECT_EQ(0, sample::FontHeight(0, 600));
    EXPECT_EQ(0, sample::FontHeight(-5, 600));
    EXPECT_EQ(10000, sample::FontHeight(2000000000, 600));
    EXPECT_EQ(0, sample::ColorByte(-0.5f));
    EXPECT_EQ(128, sample::ColorByte(0.5f));
    EXPECT_EQ(255, sample::ColorByte(1));
    EXPECT_EQ(255, sample::ColorByte(3));
    EXPECT_EQ(0, sample::ColorByte(std::nanf("")));
}

}  // namespace
