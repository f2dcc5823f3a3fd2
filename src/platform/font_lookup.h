#pragma once
// Fonts by face name, through fontconfig.

#include <string>

namespace corvid {

// The file of the installed font that best matches a face name (UTF-8) and weight. Japanese is
// always asked for, so a name no installed font has ("ＭＳ ゴシック" on Linux) falls back to a
// Japanese font rather than a Latin one: a Mincho name to a serif face, any other to a sans-serif
// one. Empty when no font at all is installed.
std::string findFontFile(const std::string& face, bool bold);

}  // namespace corvid
