// Cursor folders: one cursor per PNG, hot spots from the hot spots file.
#include <gtest/gtest.h>

#include "support/gui/Cursors.h"
#include "tests/support/gui/core/TestPng.h"

namespace {

class CursorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        VGuiTest::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    for (const char* name : {"Hand", "Cross", "Grab"}) {
      VGuiTest::WriteFile(folder / (std::string(name) + ".png"), VGuiTest::MakePng(16, 16));
    }
    VGuiTest::WriteFile(folder / "Hand@2x.png", VGuiTest::MakePng(32, 32));
    VGuiTest::WriteText(folder / "readme.txt", "not a cursor");
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
};

TEST_F(CursorsTest, HotSpotsComeFromTheHotspotsFile) {
  VGuiTest::WriteText(folder / "Cursors.hotspots", R"(<?xml version="1.0"?>
<root>
  <Hotspots>
    <Cursor CursorName="Hand" Hotspot="7 1"/>
    <Cursor CursorName="Cross" Hotspot="8 8"/>
    <Cursor CursorName="Grab" Hotspot="bad"/>
    <Cursor CursorName="Unused" Hotspot="1 1"/>
  </Hotspots>
</root>
)");
  VGui::CursorSet cursors;
  std::vector<std::string> problems;
  EXPECT_EQ(cursors.LoadFolder(folder, &problems), 3);
  struct Case {
    const char* name;
    VGui::Point hotSpot;
    bool dense;
  };
  const Case cases[] = {{"Hand", {7, 1}, true}, {"Cross", {8, 8}, false}, {"Grab", {0, 0}, false}};
  for (const auto& c : cases) {
    const VGui::Cursor* cursor = cursors.Find(c.name);
    ASSERT_NE(cursor, nullptr) << c.name;
    EXPECT_EQ(cursor->hotSpot, c.hotSpot) << c.name;
    EXPECT_EQ(bool(cursor->image.dense), c.dense) << c.name;
    ASSERT_TRUE(cursor->image.standard) << c.name;
    EXPECT_EQ(cursor->image.standard->Width(), 16);
  }
  EXPECT_EQ(cursors.Find("Hand@2x"), nullptr);
  EXPECT_EQ(cursors.Find("Unused"), nullptr);
  EXPECT_EQ(problems.size(), 2u);  // the bad entry, and Grab without a hot spot
}

TEST_F(CursorsTest, MissingOrBrokenHotspotsFileGivesZeroHotSpots) {
  const char* variants[] = {nullptr, "<root><Hotspots>", "<root><Other/></root>",
                            "<wrong><Hotspots/></wrong>"};
  for (const char* text : variants) {
    std::filesystem::remove(folder / "Cursors.hotspots");
    if (text) VGuiTest::WriteText(folder / "Cursors.hotspots", text);
    VGui::CursorSet cursors;
    std::vector<std::string> problems;
    EXPECT_EQ(cursors.LoadFolder(folder, &problems), 3) << (text ? text : "no file");
    ASSERT_NE(cursors.Find("Hand"), nullptr);
    EXPECT_EQ(cursors.Find("Hand")->hotSpot, (VGui::Point{0, 0}));
    EXPECT_FALSE(problems.empty());
  }
}

TEST_F(CursorsTest, MissingFolderLoadsNothing) {
  VGui::CursorSet cursors;
  std::vector<std::string> problems;
  EXPECT_EQ(cursors.LoadFolder(folder / "absent", &problems), 0);
  EXPECT_EQ(cursors.Count(), 0u);
  EXPECT_EQ(problems.size(), 1u);
}

}  // namespace
