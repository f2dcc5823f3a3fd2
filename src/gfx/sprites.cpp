// The standing pictures of the scene: the slots a sprite line fills, the cache that keeps their
// decoded pictures, and drawing them (plain names and "#" sprite sets).

#include <algorithm>

#include "data/sjis.h"

#include "gfx/blend.h"
#include "gfx/picture_arguments.h"
#include "gfx/picture_draw.h"
#include "gfx/scene.h"

namespace corvid {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

static_assert(kSpriteLineFields == kSpriteSlots, "a sprite line's fields are the slots");

// A sprite name is drawn from the cache unless it is empty or names a sprite set.
bool cachedName(std::string_view name) { return !name.empty() && name[0] != '#'; }

bool sameSize(const Surface& a, const Surface& b) {
  return a.width == b.width && a.height == b.height;
}

}  // namespace

// ---- Slots -----------------------------------------------------------------------------------

int Scene::setSprites(std::string_view line) {
  if (line.data() != line_.data() || line.size() != line_.size()) line_.assign(line);
  upperNameInPlace(line_);
  const std::array<std::string_view, kSpriteLineFields> fields = spriteFields(line_);
  for (int k = 0; k < kSpriteSlots; ++k)
    if (fields[size_t(k)] != "-") slots_.names[size_t(k)].assign(fields[size_t(k)]);

  int last = kSpriteSlots - 1;
  while (last >= 0 && slots_.names[size_t(last)].empty()) --last;
  if (line_.empty() || last < 0) {
    slots_.count = 0;
    state_.spriteLine.clear();
    return 0;
  }
  // A number in the last slot is the transition, not a sprite.
  int result = 1;
  int count = last + 1;
  if (isDigit(slots_.names[size_t(last)][0])) {
    result = leadingNumber(slots_.names[size_t(last)], 1);
    count = last;
  }
  // An empty last field keeps its place in the layout: "BA," is the two-sprite layout with only
  // the left one drawn. Five slots at most, however many fields the line has.
  if (line_.back() == ',') ++count;
  count = std::min(count, kSpriteSlots);
  if (count == 1 && slots_.names[0].empty()) count = 0;
  slots_.count = count;

  line_.clear();
  for (int k = 0; k < count; ++k) {
    if (k > 0) line_ += ',';
    line_ += slots_.names[size_t(k)];
  }
  storeLayerField(state_.spriteLine, line_, kSpriteLineBytes);

  // Bring every slot's picture into the cache. Loading one may evict another the same call
  // needs, so the scan starts again after each load; with at most five names it ends within
  // five loads, the bound only guards that reasoning.
  for (int loads = 0; loads <= 2 * kSpriteCacheEntries; ++loads) {
    int missing = -1;
    for (int k = 0; k < count && missing < 0; ++k) {
      const std::string& name = slots_.names[size_t(k)];
      if (cachedName(name) && s_.sprites.find(name) < 0) missing = k;
    }
    if (missing < 0) break;
    cacheSprite(slots_.names[size_t(missing)]);
  }
  return result;
}

void Scene::clearSprites() {
  slots_.count = 0;
  slots_.names[0].clear();
  slots_.names[1].clear();
  state_.spriteLine.clear();
}

void Scene::noteSpriteChange() {
  if (host_.skipLevel() == 0 && S_[26] != 1) host_.countSpriteChange();
}

// ---- The cache -------------------------------------------------------------------------------

// The entry holding `name` (upper-cased), loading it into the entry replaced next when none does.
int Scene::cacheSprite(std::string_view name) {
  const int held = s_.sprites.find(name);
  if (held >= 0) return held;
  const int entry = s_.sprites.next;
  s_.sprites.next = (entry + 1) % kSpriteCacheEntries;
  loadCacheEntry(s_.sprites.entries[size_t(entry)], name);
  return entry;
}

void Scene::loadCacheEntry(SpriteCacheEntry& entry, std::string_view name) {
  entry.name.assign(name);
  entry.holdsPicture = loadMaskedPicture(entry.name, entry.colour, entry.mask);
}

// A standing picture and its mask: with "TACHI_TYPE" 1 the halves of one side-by-side picture,
// otherwise NAME and NAME with "M" for its first character. False when the colour picture is
// missing (what the surfaces then hold is not this picture).
bool Scene::loadMaskedPicture(std::string_view name, Surface& colour, Surface& mask) {
  if (config_.tachiType == 1) {
    if (!load(name, s_.scratchColour, false)) return false;
    splitSideBySide(s_.scratchColour, colour, mask);
    return true;
  }
  if (!load(name, colour, false)) return false;
  load(maskName(name), mask, false);  // a missing mask leaves the strip as it was
  return true;
}

// NAME with "M" for its first character, in a buffer kept by the scene.
const std::string& Scene::maskName(std::string_view name) {
  maskNameInto(name, name_);
  return name_;
}

// ---- Drawing ---------------------------------------------------------------------------------

void Scene::drawSprite(int slot, int x, int y) {
  const std::string& name = slots_.names[size_t(slot)];
  if (name.empty()) return;
  if (name[0] == '#') {
    drawSpriteSet(name, x, y);
    return;
  }
  // Looked up again by name: a sprite set's part drawn before may have taken its entry.
  const SpriteCacheEntry& e = s_.sprites.entries[size_t(cacheSprite(name))];
  if (!e.holdsPicture) return;
  if (!sameSize(e.colour, e.mask)) return;  // a mask that does not fit its picture
  drawMasked(s_.stage, e.colour, e.mask, int(int64_t(x) - e.colour.width / 2), y);
}

// A "#" set: its lines in "_sprset" are parts. A line without "," is a cached part centred on
// x; a line PART,DX,DY is drawn from the scratch surfaces at (x + DX, y + DY), offset by the
// centring of the last cached part.
void Scene::drawSpriteSet(std::string_view name, int x, int y) {
  const auto lines = findSetLines(spriteSets_, name);
  if (!lines) return;
  int64_t centring = 0;
  for (std::string_view line : *lines) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) {
      const SpriteCacheEntry& e = s_.sprites.entries[size_t(cacheSprite(line))];
      centring = -(e.colour.width / 2);
      if (e.holdsPicture && sameSize(e.colour, e.mask))
        drawMasked(s_.stage, e.colour, e.mask, int(x + centring), y);
      continue;
    }
    const std::string_view rest = line.substr(comma + 1);
    const size_t second = rest.find(',');
    const int32_t dx = leadingNumber(rest, 0);
    const int32_t dy =
        second == std::string_view::npos ? 0 : leadingNumber(rest.substr(second + 1), 0);
    const int64_t px = int64_t(x) + dx + centring, py = int64_t(y) + dy;
    if (px < INT32_MIN || px > INT32_MAX || py < INT32_MIN || py > INT32_MAX) continue;
    drawPart(line.substr(0, comma), int(px), int(py));
  }
}

// A part drawn with an offset: loaded into the scratch surfaces each time, not cached.
void Scene::drawPart(std::string_view name, int x, int y) {
  if (!load(name, s_.scratchColour, false)) return;
  if (config_.tachiType == 1) {
    drawSideBySide(s_.stage, s_.scratchColour, x, y);
    return;
  }
  if (!load(maskName(name), s_.scratchMask, false)) return;
  if (!sameSize(s_.scratchColour, s_.scratchMask)) return;
  drawMasked(s_.stage, s_.scratchColour, s_.scratchMask, x, y);
}

}  // namespace corvid
