#pragma once
// The menus: the popup menu of the right click, the window's menu bar and the full-screen
// bar's buttons, with their captions, separators, hidden items and enabled states, and the
// locking rules of updateMenus. What a pick does is the input routing's (input_router.h).
//
// Ids: popup items by their own ids ("SM01" ... "N18"); menu-bar items by "bar:" and their
// caption path ("bar:終了/ゲーム終了"); the full-screen bar's buttons by "fsbar:" and their
// caption path ("fsbar:ロード", "fsbar:終了/タイトルへ戻る").

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace corvid {

// What updateMenus looks at besides the lock.
struct MenuConditions {
  int32_t s0 = 0;                   // S0: 0 load and save, 1 load only, 2 and 3 neither
  int32_t s28 = 0;                  // S28: 0 no saving (story not under way)
  bool backgroundAnimation = false;  // a background animation runs
};

class Menus {
 public:
  Menus();

  // Enables and disables the items by the lock and `conditions`; items it does not name keep
  // their state.
  void updateMenus(const MenuConditions& conditions);
  // Locked while a movie plays, the window is hidden, the cover screen is up or the page
  // history is shown. The caller runs updateMenus after changing it.
  bool locked() const { return locked_; }
  void setLocked(bool locked) { locked_ = locked; }

  // False for an unknown id.
  bool setEnabled(std::string_view id, bool enabled);
  bool setVisible(std::string_view id, bool visible);
  // The item exists, and it and every menu it opens from are enabled and visible.
  bool pickable(std::string_view id) const;
  const MenuItemState* find(std::string_view id) const;

  // Every item in menu order (each menu's items follow it).
  const std::vector<MenuItemState>& items() const { return items_; }

 private:
  MenuItemState* item(std::string_view id);
  void enable(std::initializer_list<const char*> ids, bool enabled);

  std::vector<MenuItemState> items_;
  bool locked_ = false;
};

}  // namespace corvid
