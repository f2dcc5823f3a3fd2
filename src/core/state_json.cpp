// The engine state as the headless "state" event writes it: one JSON object, texts in UTF-8.
// Fields are only ever added, never removed, since title authors' checks read them.

#include <algorithm>
#include <utility>
#include <vector>

#include "core/engine.h"
#include "core/json_writer.h"
#include "data/sjis.h"

namespace corvid {

namespace {

template <typename Array>
void writeInts(JsonWriter& json, const char* name, const Array& values) {
  json.key(name).beginArray();
  for (int32_t v : values) json.value(int64_t(v));
  json.endArray();
}

template <size_t N>
void writeSetFlags(JsonWriter& json, const char* name, const FlagSpace<N>& flags) {
  json.key(name).beginArray();
  for (size_t i = 0; i < N; ++i)
    if (flags.get(int(i))) json.value(int64_t(i));
  json.endArray();
}

// The stored settings as one object per section: {"Software\\Maker\\GAME": {"Vol1": "-1000"}}.
void writeSettings(JsonWriter& json, const SettingsStore* store) {
  std::vector<std::pair<std::string, std::vector<const SettingsEntry*>>> sections;
  const std::vector<SettingsEntry> entries = store ? store->entries() : std::vector<SettingsEntry>{};
  for (const SettingsEntry& e : entries) {
    auto it = std::find_if(sections.begin(), sections.end(),
                           [&](const auto& s) { return s.first == e.section; });
    if (it == sections.end()) it = sections.insert(sections.end(), {e.section, {}});
    it->second.push_back(&e);
  }
  json.key("settings").beginObject();
  for (const auto& [section, values] : sections) {
    json.key(sjisToUtf8(section)).beginObject();
    for (const SettingsEntry* e : values) json.key(sjisToUtf8(e->name)).value(sjisToUtf8(e->value));
    json.endObject();
  }
  json.endObject();
}

// The open choice: its kind, texts, rectangles (right and bottom exclusive) and what may be
// picked; null while none is open.
void writeChoice(JsonWriter& json, int32_t kind, const ChoiceState& c) {
  json.key("choice");
  if (kind == 0) {
    json.null();
    return;
  }
  json.beginObject();
  json.key("kind").value(int64_t(kind));
  json.key("count").value(int64_t(c.count));
  json.key("highlighted").value(int64_t(c.highlighted));
  json.key("texts").beginArray();
  for (int32_t i = 0; i < c.count; ++i) json.value(sjisToUtf8(c.texts[size_t(i)].view()));
  json.endArray();
  json.key("rects").beginArray();
  for (int32_t i = 0; i < c.count; ++i) {
    const ChoiceRect& r = c.rects[size_t(i)];
    json.beginArray();
    for (int32_t v : {r.left, r.top, r.right, r.bottom}) json.value(int64_t(v));
    json.endArray();
  }
  json.endArray();
  json.key("enabled").beginArray();
  for (int32_t i = 0; i < c.count; ++i)
    json.value(c.enabled[size_t(i)] && c.hasTarget[size_t(i)]);
  json.endArray();
  json.key("timedTicks").value(int64_t(c.timedChoice != 0 ? c.timedTicks : 0));
  json.key("timedChoice").value(int64_t(c.timedChoice));
  json.key("cursorShape").value(int64_t(c.cursorShape));
  json.endObject();
}

// "textGrid": per row, [column, character, colourCode] for every character starting in it.
void writeTextGrid(JsonWriter& json, const TextGrid& grid) {
  json.key("textGrid").beginArray();
  for (int r = 0; r < TextGrid::kRows; ++r) {
    json.beginArray();
    const auto& row = grid.characters[size_t(r)];
    for (int c = 0; c < TextGrid::kColumns; ++c) {
      const unsigned char b = static_cast<unsigned char>(row[size_t(c)]);
      if (b == 0) continue;
      std::string character(1, char(b));
      if (isSjisLeadByte(b) && c + 1 < TextGrid::kColumns) character.push_back(row[size_t(c) + 1]);
      json.beginArray().value(int64_t(c)).value(sjisToUtf8(character))
          .value(int64_t(grid.colours[size_t(r)][size_t(c)])).endArray();
      c += int(character.size()) - 1;
    }
    json.endArray();
  }
  json.endArray();
}

void writeTextCursor(JsonWriter& json, const TextCursor& cursor) {
  json.key("textCursor").beginObject();
  json.key("row").value(int64_t(cursor.row));
  json.key("column").value(int64_t(cursor.column));
  json.key("wideSpacing").value(cursor.wideSpacing);
  json.key("colourCode").value(int64_t(cursor.colourCode));
  json.key("charactersShown").value(int64_t(cursor.charactersShown));
  json.endObject();
}

// Every menu item by its id: {"SM01": {"enabled": true, "visible": true}, ...}.
void writeMenus(JsonWriter& json, const InputRouter& input) {
  json.key("menusLocked").value(input.menus().locked());
  json.key("popupOpen").value(input.popupOpen());
  json.key("coverShown").value(input.coverShown());
  json.key("menus").beginObject();
  for (const MenuItemState& item : input.menus().items()) {
    json.key(item.id).beginObject();
    json.key("enabled").value(item.enabled);
    json.key("visible").value(item.visible);
    json.endObject();
  }
  json.endObject();
}

// The slots with the names they hold, whether they still play, loop, and the volume set on
// them; "music" is the track playing (S5), "voice" the voice the slot last played.
void writeSound(JsonWriter& json, const SoundEngine& sound) {
  json.key("sound").beginObject();
  json.key("slots").beginArray();
  for (int i = 0; i < SoundEngine::kSlots; ++i) {
    const SlotRecord& slot = sound.slot(i);
    json.beginObject();
    json.key("name").value(sjisToUtf8(slot.name));
    json.key("playing").value(sound.slotPlaying(i));
    json.key("looping").value(slot.looping);
    json.key("volume").value(int64_t(slot.volume));
    json.endObject();
  }
  json.endArray();
  json.key("master").value(int64_t(sound.master()));
  json.key("muted").value(sound.muted());
  json.key("loopName").value(sjisToUtf8(sound.loopName()));
  json.key("music").value(int64_t(sound.musicPlaying()));
  json.key("voice").value(sjisToUtf8(sound.lastPlayedVoice()));
  json.endObject();
}

}  // namespace

std::string Engine::stateJson() {
  JsonWriter json;
  json.beginObject();
  json.key("script").value(sjisToUtf8(interpreter_.loadedScriptName()));
  json.key("line").value(int64_t(interpreter_.currentLineIndex()));
  json.key("playMode").value(int64_t(playMode_));
  json.key("waitKind").value(int64_t(wait_.waitKind));
  json.key("choiceActive").value(int64_t(wait_.choiceActive));
  json.key("skipLevel").value(int64_t(flags_.skipLevel));
  writeChoice(json, wait_.choiceActive, choices_.state());
  json.key("busyCount").value(int64_t(flags_.busyCount));
  json.key("effectRunning").value(flags_.effectRunning);
  json.key("effectRequest").value(int64_t(flags_.effectRequest));
  writeInts(json, "V", vars_.V);
  writeInts(json, "S", vars_.S);
  writeInts(json, "G", vars_.G);
  writeSetFlags(json, "E", vars_.E);
  writeSetFlags(json, "F", vars_.F);
  writeSetFlags(json, "T", vars_.T);
  json.key("strings").beginArray();
  for (const std::string& s : vars_.strings) json.value(sjisToUtf8(s));
  json.endArray();
  json.key("log").beginArray();
  for (const std::string& line : messageLog_.finishedLines()) json.value(sjisToUtf8(line));
  json.endArray();
  json.key("callDepth").value(int64_t(interpreter_.callDepth()));
  json.key("title").value(sjisToUtf8(interpreter_.state().sceneTitle.view()));
  json.key("caption").value(platform_.caption());
  json.key("windowShown").value(textWindow_.windowShown());
  writeTextGrid(json, textWindow_.grid());
  writeTextCursor(json, textWindow_.cursor());
  writeSettings(json, store_.get());
  writeSound(json, sound_);
  json.key("globalDataPath").value(globalData_ ? globalData_->dataDir() : std::string());
  writeMenus(json, input_);
  if (configError_.empty()) json.key("configError").null();
  else json.key("configError").value(configError_);
  json.endObject();
  return json.str();
}

}  // namespace corvid
