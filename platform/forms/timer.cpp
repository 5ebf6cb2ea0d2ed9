#include "platform/forms/timer.h"

#include <map>

#include "platform/user/message_loop.h"

namespace {
// Thread timers carry only their number; this leads back to the object. Never destroyed: a
// timer may be freed by a destructor that runs while the process ends.
std::map<UINT_PTR, TTimer*>& Timers() {
  static auto* timers = new std::map<UINT_PTR, TTimer*>;
  return *timers;
}
}  // namespace

const TClassInfo& TTimer::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TTimer>("TTimer", &TComponent::StaticClassInfo())
          .Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, {.Default = 1})
          .Prop("Interval", &TTimer::Interval, &TTimer::SetInterval, {.Default = 1000})
          .Event("OnTimer", &TTimer::OnTimer)
          .Creator([](TComponent* o) { return new TTimer(o); })
          .Build();
  return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  enabled_ = false;
  Update();
}

void TTimer::SetEnabled(bool v) {
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(int ms) {
  interval_ = ms;
  Update();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
  OnTimer = std::move(e);
  Update();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  Update();
}

void TTimer::Update() {
  if (id_) {
    KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
  }
  // OnTimer may be assigned directly after the timer started, so it is looked at when due.
  if (enabled_ && interval_ > 0 && !IsDesigning() && !IsLoading() && !IsDestroying()) {
    id_ = SetTimer(nullptr, 0, static_cast<UINT>(interval_), &TTimer::CALLBACK_Timer);
    if (id_) Timers()[id_] = this;
  }
}

void TTimer::CALLBACK_Timer(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it == Timers().end()) return;
  TTimer* t = it->second;
  if (t->OnTimer) t->OnTimer(t);
}
