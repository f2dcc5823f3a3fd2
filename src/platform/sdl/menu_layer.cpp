#include "platform/sdl/menu_layer.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>  // ClosePopupToLevel: Escape closes every open menu
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include "platform/font_lookup.h"

// Sections: set-up and the font; events; the frame (menu bar, popup, full-screen bar).

namespace corvid {

namespace {

constexpr float kFontPixels = 16;        // with 2 px of frame padding a menu bar of 20 px
constexpr float kPopupOffsetX = 16;      // the popup stands this far right of the pointer
const char* const kPopupId = "##corvid-popup";
// Characters the menus may show beyond their captions (the Japanese range lacks some).
const char* const kExtraCharacters = "…―‥♪〜・";

ImVector<ImWchar> gGlyphRanges;  // must outlive the font atlas built from it

std::string label(const MenuItemState& item) { return item.caption + "##" + item.id; }

}  // namespace

// ---- Set-up and the font ----------------------------------------------------------------------

MenuLayer::~MenuLayer() { shutdown(); }

bool MenuLayer::init(SDL_Window* window, SDL_Renderer* renderer, float uiScale, std::string& error) {
  fontFile_ = findFontFile("sans-serif", false);
  if (fontFile_.empty()) {
    error = "no font covering Japanese is installed (fonts-ipafont-gothic)";
    return false;
  }
  uiScale_ = uiScale;
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // nothing of the menus' layout is kept between runs
  ImGui::StyleColorsLight();
  ImGuiStyle& style = ImGui::GetStyle();
  style.FramePadding.y = 2;
  style.DisplaySafeAreaPadding.y = 0;
  style.WindowRounding = style.PopupRounding = style.FrameRounding = 0;
  style.ScaleAllSizes(uiScale_);
  ImGui_ImplSDL2_InitForSDLRenderer(window);
  ImGui_ImplSDLRenderer_Init(renderer);
  ready_ = true;
  return true;
}

void MenuLayer::shutdown() {
  if (!ready_) return;
  ImGui_ImplSDLRenderer_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
  ready_ = false;
}

// Only the characters the menus use are rasterised (the whole Japanese range would slow the
// start), at the output's pixel size so that the text is sharp on dense screens.
void MenuLayer::buildFont(float pixelRatio) {
  ImGuiIO& io = ImGui::GetIO();
  ImFontGlyphRangesBuilder builder;
  builder.AddRanges(io.Fonts->GetGlyphRangesDefault());
  builder.AddText(kExtraCharacters);
  for (const MenuItemState& item : items_) builder.AddText(item.caption.c_str());
  gGlyphRanges.clear();
  builder.BuildRanges(&gGlyphRanges);
  io.Fonts->Clear();
  ImFontConfig config;
  config.OversampleH = 1;
  config.PixelSnapH = true;
  io.Fonts->AddFontFromFileTTF(fontFile_.c_str(), kFontPixels * uiScale_ * pixelRatio, &config,
                               gGlyphRanges.Data);
  io.FontGlobalScale = 1.0f / pixelRatio;
  ImGui_ImplSDLRenderer_DestroyFontsTexture();
  ImGui_ImplSDLRenderer_CreateFontsTexture();
  fontPixelRatio_ = pixelRatio;
  fontStale_ = false;
}

void MenuLayer::setItems(const std::vector<MenuItemState>& items) {
  for (const MenuItemState& item : items) {
    bool known = false;
    for (const MenuItemState& old : items_) known = known || old.caption == item.caption;
    if (!known) fontStale_ = true;
  }
  items_ = items;
  framesAfterInput_ = 2;
}

void MenuLayer::openPopup(float x, float y) {
  popupPending_ = true;
  closeRequested_ = false;
  popupX_ = x + kPopupOffsetX;
  popupY_ = y;
}

void MenuLayer::closePopup() {
  popupPending_ = false;
  if (popupShown_) closeRequested_ = true;
}

// ---- Events -----------------------------------------------------------------------------------

bool MenuLayer::active() const {
  if (!ready_) return false;
  return popupPending_ || popupShown_ || framesAfterInput_ > 0 ||
         ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
}

bool MenuLayer::processEvent(const SDL_Event& e, float barBottom) {
  if (!ready_) return false;
  ImGui_ImplSDL2_ProcessEvent(&e);
  const bool menuOpen =
      popupShown_ || ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
  switch (e.type) {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      // Decided by place, not by ImGui's capture flag: that one is only as new as the last
      // frame, and a click often comes in the same batch as the move before it.
      const int y = e.type == SDL_MOUSEMOTION ? e.motion.y : e.button.y;
      const bool taken = menuOpen || y < barBottom;
      if (taken || e.type != SDL_MOUSEMOTION) framesAfterInput_ = 2;
      return taken;
    }
    case SDL_MOUSEWHEEL:
      return menuOpen;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // This ImGui sees a key only if it is still down at the next frame; Escape, which
      // closes the menus, is taken here so that a quick press is not lost. A key the menus
      // took on its way down is theirs on its way up too.
      const SDL_Scancode code = e.key.keysym.scancode;
      const bool held = code >= 0 && code < SDL_NUM_SCANCODES && keysTaken_[code];
      if (e.type == SDL_KEYUP) {
        if (held) keysTaken_[code] = false;
        return held || menuOpen;
      }
      if (!menuOpen) return false;
      if (e.key.keysym.sym == SDLK_ESCAPE) escapePressed_ = true;
      if (code >= 0 && code < SDL_NUM_SCANCODES) keysTaken_[code] = true;
      framesAfterInput_ = 2;
      return true;
    }
    default:
      return false;
  }
}

// ---- The frame --------------------------------------------------------------------------------

bool MenuLayer::hasChildren(const std::string& id) const {
  for (const MenuItemState& item : items_)
    if (item.parent == id) return true;
  return false;
}

// The visible items under `parent` as menu entries; a pick is appended.
void MenuLayer::menuEntries(const std::string& parent, std::vector<std::string>& picks) {
  for (const MenuItemState& item : items_) {
    if (item.parent != parent || !item.visible) continue;
    if (ImGui::MenuItem(label(item).c_str(), nullptr, false, item.enabled)) picks.push_back(item.id);
    if (item.separatorAfter) ImGui::Separator();
  }
}

void MenuLayer::drawMenuBar(std::vector<std::string>& picks) {
  if (!ImGui::BeginMainMenuBar()) return;
  for (const MenuItemState& item : items_) {
    if (item.place != MenuPlace::Bar || !item.parent.empty() || !item.visible) continue;
    if (!hasChildren(item.id)) {
      if (ImGui::MenuItem(label(item).c_str(), nullptr, false, item.enabled)) picks.push_back(item.id);
      continue;
    }
    if (ImGui::BeginMenu(label(item).c_str(), item.enabled)) {
      menuEntries(item.id, picks);
      ImGui::EndMenu();
    }
  }
  ImGui::EndMainMenuBar();
}

void MenuLayer::drawPopup(std::vector<std::string>& picks, bool& dismissed) {
  if (popupPending_ && !ImGui::IsAnyMouseDown()) {
    ImGui::OpenPopup(kPopupId);
    popupPending_ = false;
    popupShown_ = true;
  }
  ImGui::SetNextWindowPos(ImVec2(popupX_, popupY_), ImGuiCond_Appearing);
  if (ImGui::BeginPopup(kPopupId)) {
    if (closeRequested_) {
      ImGui::CloseCurrentPopup();
      popupShown_ = closeRequested_ = false;
    } else {
      const size_t before = picks.size();
      for (const MenuItemState& item : items_) {
        if (item.place != MenuPlace::Popup || !item.visible) continue;
        if (ImGui::MenuItem(label(item).c_str(), nullptr, false, item.enabled)) picks.push_back(item.id);
        if (item.separatorAfter) ImGui::Separator();
      }
      if (picks.size() != before) popupShown_ = false;  // a pick closes it; no dismissal
    }
    ImGui::EndPopup();
  } else if (popupShown_) {
    popupShown_ = false;
    dismissed = true;
  }
  closeRequested_ = false;
}

void MenuLayer::drawFullScreenBar(std::vector<std::string>& picks) {
  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x, kFullScreenBarHeight * uiScale_));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(4 * uiScale_, 0.5f * uiScale_));
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoNav;
  if (ImGui::Begin("##corvid-fsbar", nullptr, flags)) {
    bool first = true;
    for (const MenuItemState& item : items_) {
      if (item.place != MenuPlace::FullScreenBar || !item.parent.empty() || !item.visible) continue;
      if (!first) ImGui::SameLine();
      first = false;
      const std::string popup = "##fs-" + item.id;
      ImGui::BeginDisabled(!item.enabled);
      if (ImGui::Button(label(item).c_str())) {
        picks.push_back(item.id);
        if (hasChildren(item.id)) ImGui::OpenPopup(popup.c_str());
      }
      ImGui::EndDisabled();
      if (hasChildren(item.id) && ImGui::BeginPopup(popup.c_str())) {
        menuEntries(item.id, picks);
        ImGui::EndPopup();
      }
    }
  }
  ImGui::End();
  ImGui::PopStyleVar();
}

void MenuLayer::frame(bool menuBar, bool fullScreenBar, float pixelRatio,
                      std::vector<std::string>& picks, bool& dismissed) {
  if (!ready_) return;
  if (fontStale_ || pixelRatio != fontPixelRatio_) buildFont(pixelRatio);
  ImGui_ImplSDLRenderer_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::GetIO().DisplayFramebufferScale = ImVec2(pixelRatio, pixelRatio);
  ImGui::NewFrame();
  if (escapePressed_) ImGui::ClosePopupToLevel(0, true);
  escapePressed_ = false;
  if (menuBar) drawMenuBar(picks);
  if (fullScreenBar) drawFullScreenBar(picks);
  drawPopup(picks, dismissed);
  ImGui::Render();
  ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
  if (framesAfterInput_ > 0) --framesAfterInput_;
}

}  // namespace corvid
