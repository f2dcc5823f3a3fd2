#pragma once
// Fonts by face name through fontconfig: the file of the installed font that best matches a
// face name ("ＭＳ ゴシック", "IPAGothic", "sans-serif"), always one that covers Japanese.

#include <string>

namespace corvid {

// The path of the font file; empty when fontconfig finds none. `face` is UTF-8.
std::string findFontFile(const std::string& face, bool bold);

}  // namespace corvid
