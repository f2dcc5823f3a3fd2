#include "core/menus.h"

namespace corvid {

namespace {

struct ItemDef {
  const char* id;
  const char* caption;
  const char* parent;
  MenuPlace place;
  bool separatorAfter;
  bool visible;
};

constexpr MenuPlace P = MenuPlace::Popup;
constexpr MenuPlace B = MenuPlace::Bar;
constexpr MenuPlace F = MenuPlace::FullScreenBar;

constexpr ItemDef kItems[] = {
    {"SM01", "自動送り", "", P, false, true},
    {"SM02", "スキップ", "", P, false, true},
    {"N4", "ログ", "", P, false, true},
    {"SM04", "ウィンドウ消去", "", P, false, true},
    {"SM05", "直前の音声を再生", "", P, true, true},
    {"N5", "クイックロード", "", P, false, true},
    {"N8", "クイックセーブ", "", P, false, true},
    {"N9", "ロード", "", P, false, true},
    {"N10", "セーブ", "", P, true, true},
    {"N13", "設定", "", P, true, true},
    {"N17", "タイトルへ戻る", "", P, false, true},
    {"N18", "終了", "", P, false, true},

    {"bar:終了", "終了", "", B, false, true},
    {"bar:終了/ゲーム終了", "ゲーム終了", "bar:終了", B, false, true},
    {"bar:終了/タイトルへ", "タイトルへ", "bar:終了", B, false, true},
    {"bar:終了/次シーンへ", "次シーンへ", "bar:終了", B, false, false},
    {"bar:終了/回想終了", "回想終了", "bar:終了", B, false, false},
    {"bar:ロード", "ロード", "", B, false, true},
    {"bar:セーブ", "セーブ", "", B, false, true},
    {"bar:制御", "制御", "", B, false, false},
    {"bar:制御/スキップ", "スキップ", "bar:制御", B, false, true},
    {"bar:制御/バックログ", "バックログ", "bar:制御", B, false, true},
    {"bar:制御/オート", "オート", "bar:制御", B, false, true},
    {"bar:制御/ウィンドウ消去", "ウィンドウ消去", "bar:制御", B, false, true},
    {"bar:設定", "設定", "", B, false, true},

    {"fsbar:終了", "終了", "", F, false, true},
    {"fsbar:終了/終了", "終了", "fsbar:終了", F, false, true},
    {"fsbar:終了/タイトルへ戻る", "タイトルへ戻る", "fsbar:終了", F, false, true},
    {"fsbar:終了/回想終了", "回想終了", "fsbar:終了", F, false, false},
    {"fsbar:ロード", "ロード", "", F, false, true},
    {"fsbar:セーブ", "セーブ", "", F, false, true},
    {"fsbar:設定", "設定", "", F, false, true},
    {"fsbar:Window モード", "Window モード", "", F, false, true},
};

// The items that saving and loading allow, by place.
constexpr std::initializer_list<const char*> kLoadItems = {"bar:ロード", "N5", "N9", "fsbar:ロード"};
constexpr std::initializer_list<const char*> kSaveItems = {"bar:セーブ", "N8", "N10", "fsbar:セーブ"};
constexpr std::initializer_list<const char*> kFullScreenBarButtons = {
    "fsbar:終了", "fsbar:ロード", "fsbar:セーブ", "fsbar:設定", "fsbar:Window モード"};

}  // namespace

Menus::Menus() {
  for (const ItemDef& d : kItems) {
    MenuItemState item;
    item.id = d.id;
    item.caption = d.caption;
    item.parent = d.parent;
    item.place = d.place;
    item.separatorAfter = d.separatorAfter;
    item.visible = d.visible;
    items_.push_back(std::move(item));
  }
}

MenuItemState* Menus::item(std::string_view id) {
  for (MenuItemState& i : items_)
    if (i.id == id) return &i;
  return nullptr;
}

const MenuItemState* Menus::find(std::string_view id) const {
  for (const MenuItemState& i : items_)
    if (i.id == id) return &i;
  return nullptr;
}

void Menus::enable(std::initializer_list<const char*> ids, bool enabled) {
  for (const char* id : ids) setEnabled(id, enabled);
}

bool Menus::setEnabled(std::string_view id, bool enabled) {
  MenuItemState* i = item(id);
  if (!i) return false;
  i->enabled = enabled;
  return true;
}

bool Menus::setVisible(std::string_view id, bool visible) {
  MenuItemState* i = item(id);
  if (!i) return false;
  i->visible = visible;
  return true;
}

bool Menus::pickable(std::string_view id) const {
  for (const MenuItemState* i = find(id); i; i = i->parent.empty() ? nullptr : find(i->parent))
    if (!i->enabled || !i->visible) return false;
  return find(id) != nullptr;
}

void Menus::updateMenus(const MenuConditions& c) {
  if (locked_) {
    enable({"bar:終了", "bar:制御", "bar:設定", "bar:セーブ", "bar:ロード", "N5", "N8", "N9", "N10",
            "N13"},
           false);
    enable(kFullScreenBarButtons, false);
    return;
  }
  enable({"bar:終了", "bar:制御", "bar:設定", "N13", "N4", "fsbar:終了", "fsbar:設定",
          "fsbar:Window モード"},
         true);
  // Other values of S0 leave loading and saving as they were.
  if (c.s0 == 0) {
    enable(kLoadItems, true);
    enable(kSaveItems, true);
  } else if (c.s0 == 1) {
    enable(kLoadItems, true);
    enable(kSaveItems, false);
  } else if (c.s0 == 2 || c.s0 == 3) {
    enable(kLoadItems, false);
    enable(kSaveItems, false);
  }
  if (c.s28 == 0) enable(kSaveItems, false);
  if (c.backgroundAnimation) {
    enable({"bar:制御", "bar:設定", "bar:セーブ", "bar:ロード", "N4", "N5", "N8", "N9", "N10", "N13"},
           false);
    enable(kFullScreenBarButtons, false);
  }
}

}  // namespace corvid
