#include "platform/font_lookup.h"

#include <fontconfig/fontconfig.h>

namespace corvid {

namespace {

// Mincho faces fall back to a serif font, every other face to a sans-serif one.
bool isSerifFace(const std::string& face) {
  for (const char* mark : {"明朝", "Mincho", "mincho", "MINCHO", "serif"})
    if (face.find(mark) != std::string::npos && face.find("sans") == std::string::npos)
      return true;
  return false;
}

}  // namespace

std::string findFontFile(const std::string& face, bool bold) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return "";
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  // A weak generic family, so that an unknown name falls back by its kind.
  FcValue generic;
  generic.type = FcTypeString;
  generic.u.s = reinterpret_cast<const FcChar8*>(isSerifFace(face) ? "serif" : "sans-serif");
  FcPatternAddWeak(pattern, FC_FAMILY, generic, FcTrue);
  // Without the language an unknown name such as "ＭＳ ゴシック" matches a Latin font.
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string path;
  FcChar8* file = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
    path = reinterpret_cast<const char*>(file);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return path;
}

}  // namespace corvid
