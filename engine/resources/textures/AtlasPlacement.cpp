#include "engine/resources/textures/AtlasPlacement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/resources/textures/Texture.h"

namespace engine {
namespace {

std::int64_t area(const TextureRect& r) { return std::int64_t{r.right - r.left} * std::int64_t{r.bottom - r.top}; }

bool touches(const TextureRect& a, const TextureRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

std::array<std::pair<int, int>, 4> cornersOf(const TextureRect& r) {
  return {{{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}}};
}

struct Candidate {
  TextureRect rect;
  std::int64_t overlap = 0; // the full areas of the sub-textures it covers
  int looseness = 8;        // 8, less 2 for every corner that meets another corner
};

// One placement attempt over the parent's sub-textures, in their order; the caller restores
// everything when it fails.
class Placer {
public:
  Placer(std::vector<Texture*>& subs, int width, int height) : subs_(subs), width_(width), height_(height) {}

  bool place(Texture& sub, int budget) {
    const int w = sub.rect().right - sub.rect().left;
    const int h = sub.rect().bottom - sub.rect().top;
    const std::optional<Candidate> best = choose(w, h);
    if (!best) return false;
    std::vector<Texture*> covered;
    for (Texture* other : subs_)
      if (rectsOverlap(best->rect, other->rect())) covered.push_back(other);
    if (!covered.empty() && budget == 0) return false;
    // The covered ones leave, the new one takes their room and is pinned while they look
    // for another spot.
    std::erase_if(subs_, [&](Texture* t) { return std::find(covered.begin(), covered.end(), t) != covered.end(); });
    sub.setRect(best->rect);
    subs_.push_back(&sub);
    if (covered.empty()) return true;
    sub.setPlacement(1);
    for (Texture* other : covered)
      if (!place(*other, budget - 1)) return false;
    sub.setPlacement(0);
    return true;
  }

private:
  std::optional<Candidate> choose(int w, int h) const {
    std::vector<TextureRect> spots = {{0, 0, w, h},
                                      {width_ - w, 0, width_, h},
                                      {0, height_ - h, w, height_},
                                      {width_ - w, height_ - h, width_, height_}};
    for (const Texture* other : subs_) {
      const auto [l, t, r, b] = other->rect();
      for (const auto& [x, y] : std::array<std::pair<int, int>, 8>{
               {{l, t - h}, {r - w, t - h}, {l, b}, {r - w, b}, {l - w, t}, {l - w, b - h}, {r, t}, {r, b - h}}})
        spots.push_back({x, y, x + w, y + h});
    }
    std::optional<Candidate> best;
    for (const TextureRect& spot : spots) {
      std::optional<Candidate> candidate = score(spot);
      if (!candidate) continue;
      if (!best || candidate->overlap < best->overlap ||
          (candidate->overlap == best->overlap && candidate->looseness < best->looseness))
        best = candidate;
    }
    return best;
  }

  std::optional<Candidate> score(const TextureRect& spot) const {
    if (spot.left < 0 || spot.top < 0 || spot.right > width_ || spot.bottom > height_) return std::nullopt;
    Candidate candidate{spot};
    std::vector<std::pair<int, int>> meeting = {{0, 0}, {width_, 0}, {0, height_}, {width_, height_}};
    for (const Texture* other : subs_) {
      if (rectsOverlap(spot, other->rect())) {
        if (other->placement() != 0) return std::nullopt;
        candidate.overlap += area(other->rect());
      } else if (touches(spot, other->rect())) {
        for (const auto& corner : cornersOf(other->rect()))
          meeting.push_back(corner);
      }
    }
    for (const auto& corner : cornersOf(spot))
      if (std::find(meeting.begin(), meeting.end(), corner) != meeting.end()) candidate.looseness -= 2;
    return candidate;
  }

  std::vector<Texture*>& subs_;
  int width_;
  int height_;
};

} // namespace

bool rectsOverlap(const TextureRect& a, const TextureRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

AtlasPlacement::AtlasPlacement(Texture& parent) : parent_(parent) {}

bool AtlasPlacement::place(std::unique_ptr<Texture>& sub, int budget) {
  struct Before {
    Texture* texture;
    TextureRect rect;
    std::uint32_t placement;
  };
  std::vector<Texture*> order;
  std::vector<Before> before;
  for (const auto& existing : parent_.subs_) {
    order.push_back(existing.get());
    before.push_back({existing.get(), existing->rect(), existing->placement()});
  }
  Placer placer(order, static_cast<int>(parent_.createdWidth()), static_cast<int>(parent_.createdHeight()));
  if (!placer.place(*sub, budget)) {
    for (const Before& entry : before) {
      entry.texture->setRect(entry.rect);
      entry.texture->setPlacement(entry.placement);
    }
    return false;
  }
  // The parent's list in the new order, the new sub-texture among them.
  std::vector<std::unique_ptr<Texture>> owned = std::move(parent_.subs_);
  owned.push_back(std::move(sub));
  parent_.subs_.clear();
  for (Texture* placed : order) {
    auto holder = std::find_if(owned.begin(), owned.end(), [&](const auto& p) { return p.get() == placed; });
    parent_.subs_.push_back(std::move(*holder));
  }
  for (const Before& entry : before)
    if (!(entry.texture->rect() == entry.rect) && entry.texture->hasOwnImage()) entry.texture->drawIntoParent();
  return true;
}

} // namespace engine
