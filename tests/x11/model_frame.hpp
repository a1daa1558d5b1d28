// The drawing model's picture of the scene, for comparing with what the X11 saver shows.
#pragma once

#include <memory>

#include "tests/x11/screen_probe.hpp"

namespace x11test {

struct ModelMatch {
  int mismatches = -1;          // pixels outside the text that differ from the model
  int textPixels = 0;           // pixels of ink inside the model's text areas
  std::uint32_t brightest = 0;  // the brightest of them: the caption's colour
  int row = 0;                  // the pixel row of Label1's box the model was drawn with
};

// The model's frame with only Label1 shown, measured with the fonts of this display and drawn at
// a resolution. Above 96 dpi the banner is enlarged smoothly on the screen but by whole pixels in
// the model, so its box is compared only for being covered with the picture's ink.
class ModelFrame {
 public:
  explicit ModelFrame(Display* display, int dpi = 96);
  ~ModelFrame();
  // Compares the shot with the model drawn with Label1's box at this pixel row.
  ModelMatch Compare(const Shot& shot, int row);
  // The row near Label1's ink that the model matches best.
  ModelMatch BestMatch(const Shot& shot);

 private:
  struct Scene;
  ModelMatch Compare(const Shot& shot, int row, int width, int height);

  std::unique_ptr<Scene> scene_;
  int dpi_;
};

}  // namespace x11test
