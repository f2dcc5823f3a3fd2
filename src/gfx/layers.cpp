#include "gfx/layers.h"

#include "data/sjis.h"

namespace corvid {

// ---- The layer state -------------------------------------------------------------------------

LayerState::LayerState() {
  // Room for the longest names a command passes, so that storing one allocates nothing.
  backgroundName.reserve(64);
  spriteLine.reserve(kSpriteLineBytes);
  overlayName.reserve(64);
}

void storeLayerField(std::string& field, std::string_view text, size_t fieldBytes) {
  field.assign(text.substr(0, sjisCutLength(text, fieldBytes - 1)));
}

// ---- Sprite slots and the cache --------------------------------------------------------------

void SpriteCache::allocate() {
  for (SpriteCacheEntry& e : entries) {
    e.colour = Surface(kSpriteStripWidth, kSpriteStripHeight);
    e.mask = Surface(kSpriteStripWidth, kSpriteStripHeight);
    e.name.clear();
    e.name.reserve(64);
    e.holdsPicture = false;
  }
  next = 0;
}

int SpriteCache::find(std::string_view name) const {
  if (name.empty()) return -1;
  for (int i = 0; i < kSpriteCacheEntries; ++i)
    if (entries[size_t(i)].name == name) return i;
  return -1;
}

// ---- Layouts ---------------------------------------------------------------------------------

int spriteLayoutBase(int count) {
  switch (count) {
    case 1: return 80;
    case 2: return 81;
    case 3: return 83;
    case 4: return 86;
    default: return -1;
  }
}

std::span<const int> spriteDrawingOrder(int count, bool alternateOrder) {
  static constexpr int kOne[] = {0};
  static constexpr int kTwo[] = {0, 1}, kTwoAlternate[] = {1, 0};
  static constexpr int kThree[] = {0, 2, 1};
  static constexpr int kFour[] = {0, 1, 3, 2}, kFourAlternate[] = {3, 2, 0, 1};
  switch (count) {
    case 1: return kOne;
    case 2: return alternateOrder ? std::span<const int>(kTwoAlternate) : kTwo;
    case 3: return kThree;
    case 4: return alternateOrder ? std::span<const int>(kFourAlternate) : kFour;
    default: return {};
  }
}

void resetSpriteLayout(SystemVariables& S) {
  static constexpr int32_t kCentres[10] = {400, 250, 550, 200, 400, 600, 100, 300, 500, 700};
  for (int i = 0; i < 10; ++i) {
    S[size_t(80 + i)] = kCentres[i];
    S[size_t(90 + i)] = 0;
  }
}

}  // namespace corvid
