#include "platform/font_lookup.h"

#include <fontconfig/fontconfig.h>

namespace corvid {

namespace {

bool namesMincho(const std::string& face) {
  return face.find("明朝") != std::string::npos || face.find("Mincho") != std::string::npos ||
         face.find("mincho") != std::string::npos || face.find("MINCHO") != std::string::npos;
}

}  // namespace

std::string findFontFile(const std::string& face, bool bold) {
  // A configuration of the lookup's own, released afterwards (fontconfig's shared one would
  // live until the program ends); lookups are rare: start-up and font changes.
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return {};
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) {
    FcConfigDestroy(config);
    return {};
  }
  if (!face.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  // A weak generic family: the named face first, then a Japanese face of its kind.
  FcValue generic;
  generic.type = FcTypeString;
  generic.u.s = reinterpret_cast<const FcChar8*>(namesMincho(face) ? "serif" : "sans-serif");
  FcPatternAddWeak(pattern, FC_FAMILY, generic, FcTrue);
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  std::string path;
  FcChar8* file = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
    path = reinterpret_cast<const char*>(file);
  if (match) FcPatternDestroy(match);
  FcConfigDestroy(config);
  return path;
}

}  // namespace corvid
