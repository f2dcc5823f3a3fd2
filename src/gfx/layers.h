#pragma once
// The picture layers' records: the layer state a save slot keeps, the sprite slots rebuilt from
// its sprite line, the sprite cache of decoded standing pictures, and the fixed sprite layouts.
//
// Sections: the layer state; sprite slots and the cache; layouts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "gfx/surface.h"

namespace corvid {

// The system variables, S0-S199 (the layers read and write several of them).
using SystemVariables = std::array<int32_t, 200>;

// ---- The layer state -------------------------------------------------------------------------

// The fields' sizes in a save slot, the terminating NUL included.
inline constexpr size_t kBackgroundNameBytes = 30;
inline constexpr size_t kSpriteLineBytes = 60;
inline constexpr size_t kOverlayNameBytes = 30;

struct LayerState {
  std::string backgroundName;  // as the last "gra " A/S or "bg " wrote it; at most 29 bytes
  std::string spriteLine;      // the slots' names joined with ","; at most 59 bytes
  std::string overlayName;     // as the last "ovr " wrote it ("OFF" too); at most 29 bytes
  bool deferredDisplay = false;  // set by "grb ": the picture commands draw without showing

  LayerState();
  bool operator==(const LayerState&) const = default;
};

// Stores `text` in a field of `fieldBytes` bytes (NUL included): a longer text is cut to fit,
// never inside a double-byte character, so a save slot can always hold it.
void storeLayerField(std::string& field, std::string_view text, size_t fieldBytes);

// ---- Sprite slots and the cache --------------------------------------------------------------

inline constexpr int kSpriteSlots = 5;
inline constexpr int kSpriteCacheEntries = 5;
inline constexpr int kSpriteStripWidth = 200;  // the strips' size at start-up
inline constexpr int kSpriteStripHeight = 600;

// Not saved: rebuilt from the sprite line by setSprites.
struct SpriteSlots {
  std::array<std::string, kSpriteSlots> names;  // upper-cased; empty slots are never drawn
  int count = 0;                                // sprites on stage: 0..5 (5 draws none)
};

struct SpriteCacheEntry {
  Surface colour;
  Surface mask;       // one mask byte per colour byte, the colour strip's size
  std::string name;   // upper-cased picture name held; empty: none
  bool holdsPicture = false;  // false when the named picture could not be loaded
};

// Decoded standing pictures reused by name, refilled round-robin and never emptied.
struct SpriteCache {
  std::array<SpriteCacheEntry, kSpriteCacheEntries> entries;
  int next = 0;  // the entry replaced next

  // Start-up: every strip 200x600, every name cleared.
  void allocate();
  // The entry holding `name` (upper-cased), or -1.
  int find(std::string_view name) const;
};

// ---- Layouts ---------------------------------------------------------------------------------

// With n sprites, slot k is drawn centred on x = S[base + k] with its top at y = S[base + 10 + k].
// The base for n = 1..4; -1 for any other count (nothing is drawn).
int spriteLayoutBase(int count);
// The slots of a layout in drawing order (later in front); S24 chooses the order for 2 and 4.
std::span<const int> spriteDrawingOrder(int count, bool alternateOrder);

// Sprite positions at start-up and after "gameinit": S80-S89 centre x, S90-S99 top y.
void resetSpriteLayout(SystemVariables& S);

}  // namespace corvid
