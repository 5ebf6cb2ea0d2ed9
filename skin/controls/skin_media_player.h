// Media players: a panel of the engine's own (TWMediaPlayer) laid over the player with its
// bounds and visibility, drawing each visible button with the skin's button element (frame 1,
// 2 while pressed, 3 disabled) and its glyph, and passing presses and releases on to the
// player underneath.
#pragma once

#include <array>
#include <memory>

#include "skin/controls/skin_control.h"
#include "skin/controls/skin_own_window.h"

class TWMediaPlayer : public TSkinOwnWindow {
 public:
  static constexpr int kButtons = 9, kStates = 3;  // states: enabled, disabled, coloured
  TWMediaPlayer(TSkinControl* skin, TSkinData* skinData, TControl* host);

  // Over the player again, at its bounds and visibility.
  void Follow();
  // The bitmap resource of a button in a state ("EN_MPPLAY", "DI_MPSTOP", "CL_MPEJECT", ...).
  static std::string ResourceName(int button, int state);

  std::array<std::array<TBitmap, kStates>, kButtons> Bitmaps;
  TSkinData* SkinData;
  TControl* Host;
  TSkinControl* Skin;
  bool Pressed = false;
  int PressedButton = -1, CurrentButton = -1;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int ButtonAt(LPARAM lParam) const;
  void Paint();
  int Set(const char* name) const;
};

class TSkinMP : public TSkinControl {
 public:
  const char* KindName() const override { return "TSkinMP"; }
  void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                     int attachData) override;
  void AfterMessage(TMessage& message) override;
  void RestoreColor() override;

  std::unique_ptr<TWMediaPlayer> Panel;
};
