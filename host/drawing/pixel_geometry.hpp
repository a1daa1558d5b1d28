// Pixel boxes of the client area and the one conversion from the scene's twips to pixels that
// every platform uses.
#pragma once

#include <span>
#include <vector>

#include "host/basic_types.hpp"

namespace host::drawing {

// The standard resolution: 1440 twips to the inch at 96 pixels to the inch is 15 to the pixel.
inline constexpr int kStandardDpi = 96;
inline constexpr int kTwipsPerInch = 1440;

struct PixelSize {
  int width = 0;
  int height = 0;
  bool operator==(const PixelSize&) const = default;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const PixelRect&) const = default;
};

PixelRect Intersect(const PixelRect& a, const PixelRect& b);
PixelRect Union(const PixelRect& a, const PixelRect& b);
bool Overlaps(const PixelRect& a, const PixelRect& b);
bool Contains(const PixelRect& outer, const PixelRect& inner);
// The parts of `box` outside `hole`: at most four boxes, none of them empty.
std::vector<PixelRect> Subtract(const PixelRect& box, const PixelRect& hole);

// The pixel an edge at this many twips falls in: edges round down, so a box and its damage
// always agree, and a label moving by a third of a pixel changes no pixel until it crosses one.
int PixelEdge(float twips, int dpi = kStandardDpi);
PixelRect ToPixels(const TwipRect& twips, int dpi = kStandardDpi);
// A pointer position in pixels as twips.
float PixelsToTwips(int pixels, int dpi = kStandardDpi);

// Boxes to repaint or present, kept disjoint: a box that overlaps others is merged with them
// into their bounding box, so a label's old and new box become one.
class DamageList {
 public:
  void Add(PixelRect box);
  void Clear() { boxes_.clear(); }
  bool Empty() const { return boxes_.empty(); }
  std::span<const PixelRect> Boxes() const { return boxes_; }
  // Every box cut to the area; boxes left empty are dropped.
  void ClipTo(const PixelRect& area);

 private:
  std::vector<PixelRect> boxes_;
};

}  // namespace host::drawing
