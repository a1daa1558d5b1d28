#include "host/drawing/pixel_geometry.hpp"

#include <algorithm>
#include <cmath>

namespace host::drawing {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.Right(), b.Right());
  const int bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return PixelRect{};
  return PixelRect{left, top, right - left, bottom - top};
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.Right(), b.Right());
  const int bottom = std::max(a.Bottom(), b.Bottom());
  return PixelRect{left, top, right - left, bottom - top};
}

bool Overlaps(const PixelRect& a, const PixelRect& b) {
  return !Intersect(a, b).Empty();
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
  return inner.Empty() || (inner.x >= outer.x && inner.y >= outer.y &&
                           inner.Right() <= outer.Right() && inner.Bottom() <= outer.Bottom());
}

std::vector<PixelRect> Subtract(const PixelRect& box, const PixelRect& hole) {
  const PixelRect inside = Intersect(box, hole);
  if (inside.Empty()) return box.Empty() ? std::vector<PixelRect>{} : std::vector{box};
  // Full-width bands above and below the hole, then the parts left and right of it.
  const PixelRect parts[] = {
      {box.x, box.y, box.width, inside.y - box.y},
      {box.x, inside.Bottom(), box.width, box.Bottom() - inside.Bottom()},
      {box.x, inside.y, inside.x - box.x, inside.height},
      {inside.Right(), inside.y, box.Right() - inside.Right(), inside.height},
  };
  std::vector<PixelRect> outside;
  for (const PixelRect& part : parts) {
    if (!part.Empty()) outside.push_back(part);
  }
  return outside;
}

int PixelEdge(float twips, int dpi) {
  // Exact for the scene's whole twips: both products and the quotient are exact in a double
  // whenever the edge lies on a pixel boundary.
  return static_cast<int>(std::floor(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect ToPixels(const TwipRect& twips, int dpi) {
  const int left = PixelEdge(twips.left, dpi);
  const int top = PixelEdge(twips.top, dpi);
  return PixelRect{left, top, PixelEdge(twips.left + twips.width, dpi) - left,
                   PixelEdge(twips.top + twips.height, dpi) - top};
}

float PixelsToTwips(int pixels, int dpi) {
  return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}

void DamageList::Add(PixelRect box) {
  if (box.Empty()) return;
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = boxes_.begin(); it != boxes_.end(); ++it) {
      if (Overlaps(*it, box)) {
        box = Union(*it, box);
        boxes_.erase(it);
        merged = true;
        break;
      }
    }
  }
  boxes_.push_back(box);
}

void DamageList::ClipTo(const PixelRect& area) {
  std::size_t kept = 0;
  for (const PixelRect& box : boxes_) {
    const PixelRect part = Intersect(box, area);
    if (!part.Empty()) boxes_[kept++] = part;
  }
  boxes_.resize(kept);
}

}  // namespace host::drawing
