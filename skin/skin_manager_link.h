// What the skin component asks of the one skin manager of the program (the window hooks and
// the form wrappers live on the manager's side). The manager implements this interface and
// hands out instances through the factory; without a factory no manager is made and skins
// load without skinning any window.
#pragma once

#include <memory>

#include "platform/user/wintypes.h"

class TSkinData;

class TSkinManagerLink {
 public:
  virtual ~TSkinManagerLink() = default;
  // Registering and unregistering components; the first sfMainform one is the main one.
  virtual void AddSkinData(TSkinData* skinData) = 0;
  virtual void RemoveSkinData(TSkinData* skinData) = 0;
  // The window-creation hook of the calling thread.
  virtual void InstallHook() = 0;
  // Modes: 1 on, 2 off, 3 refresh (and those of the manager's own use); carried out by a timer
  // after `interval` milliseconds once the manager has started.
  virtual void SwitchSkin(int mode, int interval) = 0;
  // Skins a top-level window now; true when a form wrapper was attached.
  virtual bool SkinWindow(HWND window) = 0;
  // The component the next switch is for.
  virtual void SetPendingSkinData(TSkinData* skinData) = 0;
  // Skinning switched on (without a switch) and the manager counted as started.
  virtual void SetEnabled(bool enabled) = 0;
  virtual void MarkStarted() = 0;
  virtual bool Started() const = 0;
  // Every skinned window that uses this component takes the component's new skin model.
  virtual void ReloadSkinData(TSkinData* skinData) = 0;
};

using TSkinManagerFactory = std::unique_ptr<TSkinManagerLink> (*)();
// The factory that makes the manager (none by default).
void SetSkinManagerFactory(TSkinManagerFactory factory);
// The one manager, or nullptr while none exists.
TSkinManagerLink* SkinManager();
// Makes the manager through the factory when none exists; nullptr without a factory.
TSkinManagerLink* EnsureSkinManager();
// Frees the manager (the end of the program, and tests).
void FreeSkinManager();
