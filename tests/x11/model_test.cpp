// The screen the X11 saver shows is the drawing model's picture of the scene: the same pixels
// outside the text, and text only where the model lays it out.
#include <thread>

// gtest (in the fixture) before the X headers, whose None macro it would meet.
#include "tests/x11/saver_fixture.hpp"
// X after.
#include "tests/x11/model_frame.hpp"

namespace x11test {
namespace {

TEST_F(SaverTest, TheScreenIsTheDrawingModelsFrameAtTheStartAndSecondsLater) {
  auto saver = Start({"/s"});
  ASSERT_TRUE(WaitForBanner()) << saver->Stderr();
  ModelFrame model(display_);

  const ModelMatch first = model.BestMatch(Capture(display_));
  EXPECT_EQ(first.mismatches, 0) << "first frame, Label1 at row " << first.row;
  EXPECT_GT(first.textPixels, 300) << "the caption is drawn where the model lays it out";
  EXPECT_EQ(first.brightest, 0xFFFFFFu) << "in white";
  EXPECT_LE(first.row, 8 + 21) << "within the first second of the fall";

  std::this_thread::sleep_for(std::chrono::seconds(3));
  const ModelMatch later = model.BestMatch(Capture(display_));
  EXPECT_EQ(later.mismatches, 0) << "three seconds in, Label1 at row " << later.row;
  EXPECT_EQ(later.textPixels, first.textPixels) << "the same text, only lower";
  EXPECT_GT(later.row, first.row + 50) << "a pixel every third tick: about 64 in three seconds";
}

}  // namespace
}  // namespace x11test
