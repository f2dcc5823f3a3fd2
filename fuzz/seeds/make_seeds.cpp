// Seed corpora for the fuzz targets, made at build time: `corvid_fuzz_seeds TARGET DIR` writes
// valid inputs of the format that fuzz/TARGET_fuzz.cpp reads into DIR (made when missing), and
// for the script targets also the dictionary DIR.dict. A target it does not know gets an empty
// folder, so a new target starts from an empty corpus until it has a mode here.
//
// Sections: writing seeds · archives · pictures · scripts and expressions · settings and
// global data · definition sections · the modes.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "data/archive_writer.h"
#include "data/bmp_file.h"
#include "data/byte_writer.h"
#include "data/picture_encoder.h"
#include "data/jpeg_fixture.h"
#include "persist/global_data.h"
#include "persist/settings_text.h"
#include "script/command_table.h"

namespace corvid {
namespace {

using Bytes = std::vector<uint8_t>;

// ---- Writing seeds ----------------------------------------------------------------------------

class SeedFolder {
 public:
  explicit SeedFolder(std::string dir) : dir_(std::move(dir)) {}

  void add(const Bytes& bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "/seed-%03d", count_++);
    writeAll(dir_ + name, bytes);
  }
  void add(std::string_view text) { add(Bytes(text.begin(), text.end())); }

  static bool writeAll(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }

 private:
  std::string dir_;
  int count_ = 0;
};

// Small pictures with flat areas, gradients and noise, so that every stage has work.
std::vector<Surface> samplePictures() {
  std::vector<Surface> out;
  uint32_t noise = 12345;
  for (auto [w, h] : {std::pair{1, 1}, {8, 4}, {24, 16}, {3, 40}}) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* p = s.row(y) + x * 3;
        noise = noise * 1103515245u + 12345u;
        bool flat = x < w / 2;
        p[0] = flat ? 40 : uint8_t(x * 9);
        p[1] = flat ? 40 : uint8_t(y * 7);
        p[2] = flat ? 200 : uint8_t(noise >> 24);
      }
    out.push_back(std::move(s));
  }
  return out;
}

// ---- Archives ---------------------------------------------------------------------------------

void archiveSeeds(SeedFolder& seeds) {
  const std::vector<std::vector<ArchiveSource>> sets = {
      {},
      {{"MAIN", {'a', 0, 'b', 0}}},
      {{"A", {}}, {"BG01", Bytes(40, 0x11)}, {"\x8E\x52\x93\x63", {1, 2, 3}}},
      {{std::string(55, 'N'), Bytes(3, 0xFF)}, {"SHORT", Bytes(300, 7)}},
  };
  for (ArchiveLayout layout : {ArchiveLayout::Data, ArchiveLayout::Media})
    for (const auto& sources : sets) {
      Bytes out;
      std::string error;
      if (buildArchive(layout, sources, out, error)) seeds.add(out);
    }
}

// ---- Pictures ---------------------------------------------------------------------------------

void pictureSeeds(SeedFolder& seeds) {
  for (const Surface& s : samplePictures())
    for (PictureStages stages : {PictureStages::Lz, PictureStages::RunLength, PictureStages::Delta,
                                 PictureStages::DeltaRunLength}) {
      Bytes entry;
      if (encodePicture(s, entry, nullptr, {stages, 8})) seeds.add(entry);
    }
}

// The stages target reads a selector byte, then the stream (see picture_stages_fuzz.cpp).
void pictureStageSeeds(SeedFolder& seeds) {
  for (const Surface& s : samplePictures()) {
    for (uint8_t stage : {0, 1}) {
      Bytes seed{stage};
      Bytes stream = stage == 0 ? lzEncode(s.pixels, 8) : runLengthEncode(s.pixels);
      seed.insert(seed.end(), stream.begin(), stream.end());
      seeds.add(seed);
    }
  }
}

void jpegSeeds(SeedFolder& seeds) {
  for (const Surface& s : samplePictures()) {
    seeds.add(testing::encodeJpeg(s));
    seeds.add(testing::encodeJpeg(s, {.grey = true}));
    seeds.add(testing::encodeJpeg(s, {.progressive = true}));
  }
}

void bitmapSeeds(SeedFolder& seeds) {
  for (const Surface& s : samplePictures()) seeds.add(encodeBmp(s));
}

// ---- Scripts and expressions --------------------------------------------------------------------

// Arguments that the commands take, by keyword; the others get a generic list of numbers.
const std::map<std::string_view, std::string_view>& commandArguments() {
  static const std::map<std::string_view, std::string_view> args = {
      {"gra ", "BG01,L"},          {"music ", "3"},           {"cv ", "V001"},
      {"go ", "L1"},               {"clrb", " 1"},            {"select", " V001"},
      {"clickmap ", "map"},        {"switch", " 1,2"},        {"chain ", "main:L2"},
      {"spr ", "Bsakura,C"},       {"calc ", "V001=V001+1;F001=1"},
      {"if ", "(V001>=1&F001=1) *go L1"},                     {"ptset ", "1,10,20"},
      {"call ", "sub:L1"},         {"mode ", "1"},            {"grb ", "BG02"},
      {"special ", "A"},           {"partsload ", "parts"},   {"movie ", "op"},
      {"mark ", "12"},             {"bg ", "#GARDEN"},        {"sleep ", "2"},
      {"seltree", " 1"},           {"string ", "3 text"},     {"direct ", "1,2,3"},
      {"title ", "\x8F\x74"},      {"map", " 1"},             {"bg_anim", " 1,2"},
      {"roll ", "1"},              {"anim", "q 1,2"},         {"shake", " 1,2,3"},
      {"cjmp", " V001"},           {"ovr", " Opetals,1,0,0"}, {"viewer", " 1"},
      {"se ", "ding"},             {"seloop ", "rain"},       {"tw_set ", "1"},
      {"obj_", "set 1,2"},         {"sroll", " 1"},           {"scroll ", "1,2,3"},
      {"effect", " 1"},            {"manpu ", "1,2"},         {"sprmv ", "1,2,3"},
      {"efxanim ", "1"},           {"wipeset ", "wipe"},      {"web ", "http://x"},
      {"char ", "Byuto,L"},        {"fadein", " 5"},          {"fadeout", " 5"},
      {"counter", " 1"},
  };
  return args;
}

// The twelve inline tags with an argument each takes.
constexpr std::string_view kTags[] = {"[gra BG01]", "[1]",         "[2]",      "[col 3]",
                                      "[wait 2]",   "[cv voice1]", "[clrb 1]", "[delay 0]",
                                      "[?V001+1]",  "[$0]",        "[spr Bsakura,C]", "[bg #GARDEN]"};

std::string lines(std::initializer_list<std::string_view> list) {
  std::string out;
  for (std::string_view l : list) {
    out += l;
    out += '\0';
  }
  return out;
}

void scriptSeeds(SeedFolder& seeds) {
  // Every command, once with its arguments and once in capitals behind "@".
  std::string all;
  for (int i = 0; i < kCommandCount; ++i) {
    std::string_view kw = commandInfo(CommandId(i)).keyword;
    auto found = commandArguments().find(kw);
    std::string_view args = found != commandArguments().end() ? found->second : "";
    std::string line = "*" + std::string(kw) + std::string(args);
    seeds.add(lines({":L1", line, "text\\", ":L2", "}", "{", "a", "}"}));
    all += line;
    all += '\0';
    std::string upper = "@" + std::string(kw);
    for (char& c : upper) c = char(std::toupper(uint8_t(c)));
    all += upper + std::string(args);
    all += '\0';
  }
  seeds.add(lines({":L1", ":L2"}) + all);
  // Every tag and mark in a text line, and the other line kinds.
  std::string tags = "a";
  for (std::string_view t : kTags) tags += std::string(t) + "b";
  seeds.add(lines({tags, "\\"}));
  seeds.add(lines({">\x81\x90\x82\x4F", "\x82\xA0%5\x82\xA2%\x81\xA5rest", "", "x\x81\xAC" "y",
                   "\x81\xA4z<ruby>w\x81\x9F\x81\x98\x81\xE3", "=", "~", "+", "\\"}));
  seeds.add(lines({"!V001=3;S026=2;T0001=1;G3=R5", "*cjmp V001", "{", "a", "{", "b", "{", "c",
                   "}", "*if (V001=3) !V002=1", "{:NAME(1)", "}:NAME", "*call $0:L1", "*end",
                   ":L1", "; a comment", "*select V001", "{", "choice one", "choice two", "}"}));
  seeds.add(lines({"*string 0 \x8E\x52\x93\x63", "*mode 1", ">name", "full screen text\\",
                   "*mode 0", "*gameclr", "*backto", "*exit"}));
}

void scriptDictionary(const std::string& path) {
  std::string dict;
  auto entry = [&](std::string_view bytes) {
    dict += '"';
    for (uint8_t c : bytes) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      dict += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, char(c)) : hex;
    }
    dict += "\"\n";
  };
  for (int i = 0; i < kCommandCount; ++i) {
    std::string kw(commandInfo(CommandId(i)).keyword);
    entry(std::string(1, '\0') + "*" + kw);
  }
  for (std::string_view t : kTags) entry(t.substr(0, t.find_first_of(" ]") + 1));
  for (std::string_view mark : {"\x81\xA5", "\x81\xA4", "\x81\xAC", "\x81\x90\x82\x4F", "\x81\x9F",
                                "\x81\x98", "\x81\xE3", "%", "<", ">", "{:", "}:", "\\"})
    entry(mark);
  for (std::string_view op : {"V001", "S026", "P001", "F001", "E999", "T0001", "G3", "R10", "_&",
                              "_|", "_X", ">=", "<=", "!=", "=="})
    entry(op);
  SeedFolder::writeAll(path, Bytes(dict.begin(), dict.end()));
}

void expressionSeeds(SeedFolder& seeds) {
  for (std::string_view text :
       {"V001+3*4", "-S026_&7", "R10", "P001", "T0042", "G3", "E999_|F001_X2", "5V001/0%3",
        "(V001>=3&F010=1|E999!=0)", "(S026<2|V002==V003)", "V001=5;S026=R3;F001=1;T0001=V001_|2",
        "g3 = -2147483648 - 1", "(!V001)", "V999=P999;S199=S000"})
    seeds.add(text);
}

// ---- Settings and global data ---------------------------------------------------------------------

void settingsSeeds(SeedFolder& seeds) {
  std::string escaped = encodeSettingText("a\nb \x8E\x52\x93\x63 100%", SettingTextRole::Value);
  seeds.add("[Software\\Maker\\GAME01]\nVol1=-1000\nPlayerName=" + escaped + "\n");
  seeds.add("# notes\n; more\n[Software\\Vesperel\\tarn]\nClear=3\n\n[Software\\Corvid\\FUZZ]\n"
            "GV00=1\nGV09=-10\nbroken line\nDelay=0\n");
  seeds.add("[" + encodeSettingText("Soft\\\x83\x5C", SettingTextRole::Section) + "]\n" +
            encodeSettingText("=name", SettingTextRole::Name) + "=x\n");
}

// The global-data target reads a mode byte, then the files (see global_data_fuzz.cpp).
void globalDataSeeds(SeedFolder& seeds) {
  Bytes blocks(GlobalData::kBlockBytes, 0);
  blocks[0] = 0x21;                                  // E0, E5
  blocks[GlobalData::kDisplayCounterAt] = 42;        // the display counter
  blocks[GlobalData::kEFlagBytes + 3] = 0x80;        // a gallery bit
  blocks[GlobalData::kBlockBytes - 1] = 0x80;        // past the last read mark
  ByteWriter save0;
  save0.bytes(blocks);
  save0.u32(globalDataChecksum(blocks));
  Bytes valid = save0.take();
  Bytes kaiso(GlobalData::kKaisoSize, 0);
  kaiso[0] = 5;
  for (int k = 0; k < 4; ++k) kaiso[2000 + size_t(k)] = uint8_t("List"[k]);
  for (uint8_t mode : {0x00, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}) {
    Bytes seed{mode};
    seed.insert(seed.end(), valid.begin(), valid.end());
    seed.insert(seed.end(), kaiso.begin(), kaiso.end());
    seeds.add(seed);
  }
  // Sparse: offset and byte triples into an empty file whose checksum is then fixed.
  seeds.add(Bytes{0x03, 0x00, 0x00, 0x21, 0x7C, 0x02, 42, 0x7F, 0x2B, 0x80});
  seeds.add(Bytes{0x02, 0x05, 0x00, 0x01});  // the same without the checksum: damaged
  seeds.add(Bytes{0x00});                    // both files empty
}

// ---- Definition sections ------------------------------------------------------------------------

// The definitions target reads a selector byte, then the section (see definitions_fuzz.cpp).
void definitionSeeds(SeedFolder& seeds) {
  auto withSelector = [&](uint8_t selector, const std::string& section) {
    Bytes seed{selector};
    seed.insert(seed.end(), section.begin(), section.end());
    seeds.add(seed);
  };
  withSelector(0, lines({"; config", "TITLE:Title", "MAKER_REG:Software\\Corvid", "GAME_ID:FUZZ",
                         "TXW_OFS_X:20", "TXW_SIZE_X:760", "MOJI_MAX_X:32", "SPD_MAX:5",
                         "CFG_VOL_BAR:1,2,3,4", "QB_MS:1,10,10,700,500,0,0", "SPEAKER:3,Name,ABC",
                         "GAIJI:\x81\x40\x81\x41", "VOLUME1:10,20", "END", "TITLE:after"}));
  withSelector(1, lines({"; sets", ":GARDEN", "Agarden", "Plantern,560,300", "$DEBUG_OUT",
                         ":SKY", "S123", ":END"}));
  withSelector(2, lines({":ONE", "Bsakura,1,2", "Byuto", ":TWO", "x"}));
}

// ---- The modes ----------------------------------------------------------------------------------

const std::map<std::string, std::function<void(SeedFolder&)>>& modes() {
  static const std::map<std::string, std::function<void(SeedFolder&)>> all = {
      {"archive_directory", archiveSeeds},   {"picture_decoder", pictureSeeds},
      {"picture_round_trip", pictureSeeds},  {"picture_stages", pictureStageSeeds},
      {"jpeg", jpegSeeds},                   {"bitmap", bitmapSeeds},
      {"script", scriptSeeds},               {"script_lint", scriptSeeds},
      {"expression", expressionSeeds},
      {"settings_file", settingsSeeds},      {"settings_store", settingsSeeds},
      {"global_data", globalDataSeeds},
      {"definitions", definitionSeeds},
  };
  return all;
}

}  // namespace
}  // namespace corvid

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: corvid_fuzz_seeds TARGET DIR\n");
    return 2;
  }
  const std::string target = argv[1], dir = argv[2];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "corvid_fuzz_seeds: cannot create %s: %s\n", dir.c_str(),
                 ec.message().c_str());
    return 1;
  }
  auto mode = corvid::modes().find(target);
  if (mode == corvid::modes().end()) return 0;  // no generator: an empty corpus
  corvid::SeedFolder seeds(dir);
  mode->second(seeds);
  if (target == "script" || target == "script_lint") corvid::scriptDictionary(dir + ".dict");
  return 0;
}
