#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "persist/settings_document.h"
#include "persist/settings_store.h"
#include "persist/settings_text.h"
#include "persist/temp_folder.h"

namespace corvid {
namespace {

const SettingsSection kTitle{"Software\\Maker", "GAME01"};

// ---- texts ----------------------------------------------------------------------------------

TEST(SettingText, AnyBytesRoundTripInEveryRole) {
  const std::string cases[] = {
      "",
      "plain",
      "\x8E\x52\x93\x63",        // 山田
      "\x83\x5C",                // ソ, whose second byte is a backslash
      "\xB1\xB2",                // half-width katakana
      "\x87\x40",                // circled one (NEC row 13)
      "\xED\x40",                // IBM extension in the NEC-selected copy: converts back elsewhere
      "\x83",                    // a lead byte cut off at the end
      "\x83\x0A\x41",            // a lead byte followed by a newline
      "\x80\xA0\xFD\xFE\xFF",    // bytes code page 932 does not define
      std::string("a\0b", 3),    // a NUL inside
      "  leading and trailing \t",
      "   ",
      "%41 100% %",
      "line1\nline2\r\n",
      "=[;#]=",
      "C:\\Games\\Title\\",
  };
  for (const std::string& sjis : cases) {
    for (SettingTextRole role :
         {SettingTextRole::Value, SettingTextRole::Name, SettingTextRole::Section}) {
      std::string encoded = encodeSettingText(sjis, role);
      std::string decoded;
      EXPECT_TRUE(decodeSettingText(encoded, decoded)) << encoded;
      EXPECT_EQ(decoded, sjis) << "encoded as " << encoded;
      EXPECT_EQ(encoded.find_first_of("\n\r"), std::string::npos) << encoded;
    }
  }
}

TEST(SettingText, EscapesOnlyWhatTheFormatNeeds) {
  struct Case {
    std::string sjis;
    SettingTextRole role;
    std::string file;
  };
  const Case cases[] = {
      {"-1000", SettingTextRole::Value, "-1000"},
      {"\x8E\x52\x93\x63", SettingTextRole::Value, "山田"},
      {"\x83\x5C", SettingTextRole::Value, "ソ"},
      {"C:\\Games\\", SettingTextRole::Value, "C:\\Games\\"},
      {"100%", SettingTextRole::Value, "100%25"},
      {"a\nb", SettingTextRole::Value, "a%0Ab"},
      {" x y ", SettingTextRole::Value, "%20x y%20"},
      {"a=b", SettingTextRole::Value, "a=b"},
      {"a=b", SettingTextRole::Name, "a%3Db"},
      {"[x", SettingTextRole::Value, "[x"},
      {"[x", SettingTextRole::Name, "%5Bx"},
      {";x", SettingTextRole::Name, "%3Bx"},
      {"Software\\Vesperel\\tarn", SettingTextRole::Section, "Software\\Vesperel\\tarn"},
      {"\x83", SettingTextRole::Value, "%83"},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeSettingText(c.sjis, c.role), c.file) << c.file;
}

TEST(SettingText, DecodesHandEditedText) {
  struct Case {
    std::string file;
    bool ok;
    std::string sjis;
  };
  const Case cases[] = {
      {"100%", true, "100%"},      // a lone '%' stays
      {"%zz%4", true, "%zz%4"},
      {"%41%62", true, "Ab"},
      {"山田", true, "\x8E\x52\x93\x63"},
      {"caf\xC3\xA9", false, ""},  // é has no Shift_JIS form
      {"\xFF\xFE", false, ""},     // not UTF-8
  };
  for (const Case& c : cases) {
    std::string sjis;
    EXPECT_EQ(decodeSettingText(c.file, sjis), c.ok) << c.file;
    if (c.ok) {
      EXPECT_EQ(sjis, c.sjis) << c.file;
    }
  }
}

TEST(SettingText, ParsesDecimalIntegersOnly) {
  struct Case {
    std::string text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},           {"-1000", -1000},         {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN}, {"2147483648", {}}, {"-2147483649", {}},
      {"99999999999999999999", {}}, {"", {}},     {"-", {}},
      {"12a", {}},        {"0x10", {}},             {"1 2", {}},
      {"+5", {}},         {"007", 7},
  };
  for (const Case& c : cases) EXPECT_EQ(parseSettingInt(c.text), c.value) << c.text;
}

// ---- the file's lines -----------------------------------------------------------------------

TEST(SettingsDocument, ReadsAHandEditedFileAndNamesTheLinesItIgnores) {
  const std::string file =
      "\xEF\xBB\xBF"                 // 1 a byte-order mark
      "stray=1\r\n"                  // 1 outside any section
      "; comment\r\n"                // 2
      "[Software\\Maker\\GAME01]\r\n"  // 3
      "  Vol1 = -1000  \r\n"         // 4 blanks around are not part of the value
      "no equals sign\n"             // 5
      "=nameless\n"                  // 6
      "Name=caf\xC3\xA9\n"           // 7 no Shift_JIS form
      "vol1=5\n"                     // 8 repeats line 4
      "PlayerName=山田\n"             // 9
      "[broken\n"                    // 10 header without its ']'
      "Hidden=1\n"                   // 11 below it
      "[software\\maker\\game01]\n"    // 12 the same section again, other case
      "Empty=\n"                     // 13
      "\n";
  std::vector<SettingsIssue> issues;
  SettingsDocument doc = SettingsDocument::parse(file, &issues);

  std::vector<int> lines;
  for (const SettingsIssue& issue : issues) lines.push_back(issue.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 5, 6, 7, 8, 10, 11}));

  auto value = [&](const char* name) {
    auto found = doc.find("SOFTWARE\\MAKER\\game01", name);
    return found ? found->value : std::string("<none>");
  };
  EXPECT_EQ(value("VOL1"), "-1000");
  EXPECT_EQ(doc.find("Software\\Maker\\GAME01", "Vol1")->line, 4);
  EXPECT_EQ(value("playername"), "\x8E\x52\x93\x63");
  EXPECT_EQ(value("Empty"), "");
  EXPECT_EQ(value("Name"), "<none>");
  EXPECT_EQ(value("Hidden"), "<none>");
  EXPECT_EQ(value("stray"), "<none>");
}

TEST(SettingsDocument, ChangesOnlyTheLinesItWrites) {
  SettingsDocument doc = SettingsDocument::parse(
      "# my notes\n"
      "[Software\\Maker\\GAME01]\n"
      "FONTBold=0\n"
      "garbage line kept\n"
      "\n"
      "; the other title\n"
      "[Software\\Other\\X]\n"
      "Vol1=-5\n");
  doc.set("Software\\Maker\\GAME01", "FONTBOLD", "1");  // keeps the file's spelling
  doc.set("Software\\Maker\\GAME01", "Vol1", "-1000");  // new, at the end of its section
  doc.set("Software\\Vesperel\\tarn", "Clear", "1");    // new section at the end
  EXPECT_EQ(doc.serialize(),
            "# my notes\n"
            "[Software\\Maker\\GAME01]\n"
            "FONTBold=1\n"
            "Vol1=-1000\n"
            "garbage line kept\n"
            "\n"
            "; the other title\n"
            "[Software\\Other\\X]\n"
            "Vol1=-5\n"
            "\n"
            "[Software\\Vesperel\\tarn]\n"
            "Clear=1\n");
}

// ---- the store ------------------------------------------------------------------------------

TEST(SettingsStore, StartsEmptyAndTheFirstWriteCreatesTheFileAndItsFolders) {
  TempFolder dir;
  std::string path = dir.file("config/corvid/settings.ini");
  SettingsStore store(path);
  EXPECT_EQ(store.readInt(kTitle, "Vol1", -300), -300);
  EXPECT_EQ(store.readText(kTitle, "FontName", "MS Gothic"), "MS Gothic");

  EXPECT_TRUE(store.writeInt(kTitle, "Vol1", -1000));
  EXPECT_TRUE(store.writeText({"Software\\Maker\\", "\\GAME01"}, "PlayerName",
                              "\x8E\x52\x93\x63"));
  EXPECT_EQ(readText(path), "[Software\\Maker\\GAME01]\nVol1=-1000\nPlayerName=山田\n");
  EXPECT_TRUE(store.takeWarnings().empty());

  SettingsStore again(path);
  EXPECT_EQ(again.readInt(kTitle, "vol1", 0), -1000);
  EXPECT_EQ(again.readText(kTitle, "PLAYERNAME", ""), "\x8E\x52\x93\x63");
}

TEST(SettingsStore, AWriteKeepsWhatOthersWroteMeanwhile) {
  TempFolder dir;
  std::string path = dir.file("settings.ini");
  SettingsStore store(path);
  store.writeInt(kTitle, "BGM_ENA", 0);
  // Another title's engine, or the player with an editor, changes the file.
  writeText(path, readText(path) + "; note\n[Software\\Other\\X]\nVol1=-5\n");
  store.writeInt(kTitle, "SE_ENA", 0);
  EXPECT_EQ(readText(path),
            "[Software\\Maker\\GAME01]\nBGM_ENA=0\nSE_ENA=0\n; note\n[Software\\Other\\X]\n"
            "Vol1=-5\n");
  EXPECT_EQ(store.readInt({"Software\\Other", "X"}, "Vol1", 0), -5);
}

TEST(SettingsStore, TextsOfAnyKindRoundTripThroughTheFile) {
  TempFolder dir;
  const std::vector<std::string> texts = {
      "", "a\nb", " padded ", "100%", "\x83", "\x8E\x52\x93\x63", "C:\\Games\\", "=x", "\xED\x40"};
  {
    SettingsStore store(dir.file("settings.ini"));
    std::vector<SettingChange> changes;
    for (size_t i = 0; i < texts.size(); ++i)
      changes.push_back({"Text" + std::to_string(i), texts[i]});
    EXPECT_TRUE(store.write(kTitle, changes));
  }
  SettingsStore store(dir.file("settings.ini"));
  std::vector<std::string> read;
  for (size_t i = 0; i < texts.size(); ++i)
    read.push_back(store.readText(kTitle, "Text" + std::to_string(i), "<none>"));
  EXPECT_EQ(read, texts);
  EXPECT_TRUE(store.takeWarnings().empty());
}

TEST(SettingsStore, BadLinesAndValuesTakeDefaultsAndAreReportedOnceWithTheirLine) {
  TempFolder dir;
  std::string path = dir.file("settings.ini");
  std::string file = "[Software\\Maker\\GAME01]\nVol2=abc\nbroken\n";
  for (int i = 0; i < 30; ++i) file += "junk " + std::to_string(i) + "\n";
  writeText(path, file);

  SettingsStore store(path);
  EXPECT_EQ(store.readInt(kTitle, "Vol2", -200), -200);
  EXPECT_EQ(store.readInt(kTitle, "Vol2", -200), -200);
  std::vector<std::string> warnings = store.takeWarnings();
  ASSERT_EQ(warnings.size(), 22u);  // 20 lines, a summary of the other 11, the value
  EXPECT_EQ(warnings[0], path + ":3: ignored this line, which is not a name=value line");
  EXPECT_EQ(warnings[20], path + ": and 11 more lines ignored");
  EXPECT_EQ(warnings[21], path + ":2: \"Vol2\" is not a whole number; its default -200 is used");

  // Writing reads the file again: nothing is reported twice, and the bad lines stay.
  EXPECT_TRUE(store.writeInt(kTitle, "Vol1", -1));
  EXPECT_EQ(store.readInt(kTitle, "Vol2", -200), -200);
  EXPECT_TRUE(store.takeWarnings().empty());
  EXPECT_NE(readText(path).find("broken\njunk 0\n"), std::string::npos);
}

TEST(SettingsStore, AFailedWriteIsHeldAndGoesOutWithTheNextOne) {
  TempFolder dir;
  std::string folder = dir.file("blocked");
  writeText(folder, "a file where the folder should be");
  SettingsStore store(folder + "/settings.ini");

  EXPECT_FALSE(store.writeInt(kTitle, "BGM_ENA", 0));
  EXPECT_EQ(store.readInt(kTitle, "BGM_ENA", 1), 0);
  std::vector<std::string> warnings = store.takeWarnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("cannot write the settings file"), std::string::npos);

  std::filesystem::remove(folder);
  EXPECT_TRUE(store.writeInt(kTitle, "SE_ENA", 0));
  EXPECT_EQ(readText(folder + "/settings.ini"), "[Software\\Maker\\GAME01]\nBGM_ENA=0\nSE_ENA=0\n");
}

TEST(SettingsStore, AFileThatCannotBeReadIsNeverWrittenOver) {
  TempFolder dir;
  std::string path = dir.file("settings.ini");
  ::mkdir(path.c_str(), 0755);  // something the store cannot read as a file
  writeText(path + "/inside", "kept");
  SettingsStore store(path);
  EXPECT_FALSE(store.writeInt(kTitle, "Vol1", -1));
  EXPECT_EQ(store.readInt(kTitle, "Vol1", 0), -1);  // held in memory
  EXPECT_EQ(readText(path + "/inside"), "kept");
  EXPECT_EQ(store.takeWarnings().size(), 1u);
}

TEST(SettingsStore, SectionNamesFollowKeyAndSection) {
  struct Case {
    SettingsSection section;
    std::string name;
  };
  const Case cases[] = {
      {{"Software\\Maker", "GAME01"}, "Software\\Maker\\GAME01"},
      {{"Software\\Maker\\", "\\GAME01"}, "Software\\Maker\\GAME01"},
      {{"Software\\Maker", ""}, "Software\\Maker"},
      {{"Software\\\x83\x5C", "G"}, "Software\\\x83\x5C\\G"},  // ソ keeps its second byte
  };
  for (const Case& c : cases) EXPECT_EQ(settingsSectionName(c.section), c.name);
  EXPECT_TRUE(sameSettingsSection({"software\\vesperel", "TARN"}, kCompletedGamesSection));
  EXPECT_FALSE(sameSettingsSection(kTitle, kCompletedGamesSection));
}

}  // namespace
}  // namespace corvid
