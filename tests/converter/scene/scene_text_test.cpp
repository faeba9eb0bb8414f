#include "converter/import/scene_text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kzo;

TEST(SceneText, splitsLinesDroppingCarriageReturnsAndCuttingAtNul) {
    const std::string text = std::string("LastFrame 60\r\nAdd") + '\0' + "Light\nlast";
    const SceneText scene = makeSceneText("a.lws", text);
    ASSERT_EQ(scene.lines.size(), 3u);
    EXPECT_EQ(scene.lines[0], "LastFrame 60");
    EXPECT_EQ(scene.lines[1], "Add");
    EXPECT_EQ(scene.lines[2], "last");
}

TEST(SceneText, readsLinesLongerThan256BytesWhole) {
    const std::string path = std::string(400, 'd') + "/box.lwo";
    const SceneText scene = makeSceneText("a.lws", "LoadObject " + path + "\nnext\n");
    ASSERT_EQ(scene.lines.size(), 2u);
    std::string token;
    scanAfter(scene.lines[0], "LoadObject").scan(token);
    EXPECT_EQ(token, path);
}

TEST(SceneText, keywordsCompareTheirOwnLengthCaseSensitively) {
    EXPECT_TRUE(startsWithKeyword("LoadObject box.lwo", "LoadObject"));
    EXPECT_TRUE(startsWithKeyword("LoadObjectLayer 1 box.lwo", "LoadObject"));
    EXPECT_FALSE(startsWithKeyword("loadobject box.lwo", "LoadObject"));
    EXPECT_FALSE(startsWithKeyword(" LoadObject box.lwo", "LoadObject"));
    EXPECT_FALSE(startsWithKeyword("LoadObj", "LoadObject"));
}

TEST(SceneText, valuesAFormatCannotParseKeepTheirDefaults) {
    float v[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    EXPECT_EQ(scanFloats("  4.5 -2 x 7 8", v, 9), 2);
    EXPECT_EQ(v[0], 4.5f);
    EXPECT_EQ(v[1], -2.0f);
    EXPECT_EQ(v[2], 0.0f); // "x" stops the scan: 7 and 8 are not read either
    EXPECT_EQ(v[3], 0.0f);
    EXPECT_EQ(v[8], 1.0f);

    std::int32_t n = 42;
    LineScanner s("ParentObject abc");
    s.scan(n);
    EXPECT_EQ(n, 42);
}

TEST(SceneText, numbersParseLikeScanf) {
    float f[6] = {};
    EXPECT_EQ(scanFloats("+1.5 -.25 1e2 3. 1e999 -1e-999", f, 6), 6);
    EXPECT_EQ(f[0], 1.5f);
    EXPECT_EQ(f[1], -0.25f);
    EXPECT_EQ(f[2], 100.0f);
    EXPECT_EQ(f[3], 3.0f);
    EXPECT_TRUE(std::isinf(f[4]));
    EXPECT_EQ(f[5], 0.0f);

    std::int32_t a = 0, b = 0, c = 0, d = 0;
    LineScanner s(" -12 +7 99999999999 3abc");
    s.scan(a);
    s.scan(b);
    s.scan(c);
    s.scan(d);
    EXPECT_EQ(a, -12);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(c, 2147483647); // saturates instead of overflowing
    EXPECT_EQ(d, 3);          // "%d" takes the leading digits
}

TEST(SceneText, skipToKeywordLeavesTheCursorBehindTheKeywordLine) {
    const SceneText scene = makeSceneText("a.lws", "a\nObjectMotion\nb\n");
    LineCursor cursor = startOf(scene);
    ASSERT_TRUE(skipToKeyword(cursor, "ObjectMotion"));
    std::string_view line;
    ASSERT_TRUE(cursor.read(line));
    EXPECT_EQ(line, "b");
    EXPECT_FALSE(skipToKeyword(cursor, "ObjectMotion"));
    EXPECT_TRUE(cursor.atEnd());
}
