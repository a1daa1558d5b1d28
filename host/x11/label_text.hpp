// Label captions with Xft: the design's face where installed, otherwise a display-capitals
// stand-in (capitals, with small capitals for lower-case letters, as such a face draws them),
// with a per-character fallback face so that no missing-glyph box is ever drawn. Text wraps at
// blanks inside the label's box.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/form_design.hpp"
#include "host/x11/xlib.hpp"

namespace host::x11 {

// A label's caption laid out in one face set: lines of runs, each run in one face.
struct TextRun {
  XftFont* font = nullptr;
  std::u32string text;
  int advance = 0;  // pixels
};
struct TextLine {
  std::vector<TextRun> runs;
};

class LabelFonts {
 public:
  LabelFonts(Display* display, int screen);
  ~LabelFonts();
  LabelFonts(const LabelFonts&) = delete;
  LabelFonts& operator=(const LabelFonts&) = delete;

  // Lines of the caption wrapped to maxWidth pixels (a word wider than that is broken).
  std::vector<TextLine> Layout(const FontDesign& font, std::string_view caption, int maxWidth);
  // The height of one line and the baseline's distance from a line's top, in pixels.
  int LineHeight(const FontDesign& font);
  int Ascent(const FontDesign& font);
  // The family actually drawn for this design (for diagnostics and tests).
  std::string FamilyOf(const FontDesign& font);

 private:
  struct Face {
    XftFont* primary = nullptr;
    XftFont* smallCapitals = nullptr;  // set when lower-case letters are drawn as capitals
    int pixelSize = 0;
  };
  Face& FaceFor(const FontDesign& font);
  XftFont* FontForChar(Face& face, char32_t c);
  int Width(Face& face, std::u32string_view text);
  std::vector<TextRun> Runs(Face& face, std::u32string_view text);

  Display* display_;
  int screen_;
  std::map<std::pair<std::string, int>, Face> faces_;
  std::map<std::pair<int, char32_t>, XftFont*> fallbacks_;  // by pixel size and character
};

}  // namespace host::x11
