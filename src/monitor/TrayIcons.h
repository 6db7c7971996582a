// The six tray icons (core slots 0-3, the GPU and the hottest core): adding
// them in the order hottest core, GPU, core 3 .. core 0, redrawing their
// numbers each cycle, blinking during an alarm, and removing them at exit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppSettings.h"
#include "config/SettingsTrayIcons.h"
#include "monitor/TrayIconValue.h"
#include "platform/TrayShell.h"

namespace korvath {

// The window timer that retries icons the shell refused.
inline constexpr uintptr_t kTrayRetryTimerId = 2;
inline constexpr uint32_t kTrayRetryPeriodMs = 2500;
// After this long without a notification area, refused icons count as not added.
inline constexpr uint32_t kTrayRetryLimitMs = 120000;
inline constexpr int kNoIconValue = -128;
// The hottest core's icon: its tip, and its item in the tray menu.
inline constexpr const char* kHottestCoreText = "Hottest core";

// What one cycle hands to the refresh.
struct TrayRefreshInput {
  explicit TrayRefreshInput(const TemperatureStats& stats) : stats(stats) {}
  const TemperatureStats& stats;  // also the cycle count
  std::array<bool, kTrayIconCount> present = {};  // slot present; [4]: GPU read
  std::array<int, kTrayIconCount> temperature = {};  // current; [4]: the GPU
  std::array<int, kCoreSlots> readout = {};
  std::string_view trayTipText;  // the cycle's tip text, valid during the refresh
  bool alarmThisCycle = false;
  // The hottest core's icon: whether a core has been read, its number for
  // the display mode (HottestIconValue) and its current temperature, which
  // the alarm's blinking compares.
  bool hottestPresent = false;
  int hottestValue = 0;
  int hottestTemperature = 0;
};

class TrayIcons : public SettingsTrayIcons {
 public:
  enum class Adding { kDone, kRetrying };

  TrayIcons(AppSettings& settings, TrayShell& shell, TrayIconPainter& painter, IconHandle applicationIcon);

  // First tick: adds every present icon whose IconShow bit is set, from 5 down
  // to 0; the hottest core's icon is present on every processor with a core.
  // It comes first so that the tip icon (the last added) stays the lowest
  // core's whenever one of those is shown. A refusal stops the run there (the order of the icons in the tray is
  // the order of adding); the caller then arms kTrayRetryTimerId and calls
  // RetryAdding until it answers kDone. When the run is done and no icon was
  // added, the task-bar behaviour is forced on for the run. IconShow keeps
  // the icons the user chose: what the shell could not show is this run's
  // state and must not reach the settings file.
  Adding BeginAdding(const std::array<bool, kTrayIconCount>& present, uint32_t nowTick);
  Adding RetryAdding(uint32_t nowTick);
  bool AddingPending() const { return nextToAdd_ < pendingOrder_.size(); }

  // Explorer (re)created the notification area: every icon is gone there, so
  // every chosen icon is added again, in the order of adding, the ones shown
  // before with their current picture and tip; also after a give-up.
  Adding OnTaskbarCreated(uint32_t nowTick);

  // Once per monitor cycle, after the alarm actions.
  void Refresh(const TrayRefreshInput& input);

  // Exit: removes every icon whose IconShow bit is set and every icon ever
  // offered to the shell (a refused add may have been taken after all), and
  // drops the drawn pictures.
  void DeleteShownIcons();

  // Single icons for the Settings dialog's tray checks, which keep the tray's
  // order themselves.
  bool AddIcon(int index) override;
  void DeleteIcon(int index) override;
  bool AnyIconShown() const override { return !addedIcons_.empty(); }
  void RedrawIcon(int index) override {
    if (index < 0 || index >= kAllTrayIcons) return;
    lastIconValue_[index] = kNoIconValue;
    // The hottest core's icon is drawn in core 0's colour.
    if (index == 0) lastIconValue_[kHottestIconIndex] = kNoIconValue;
  }
  void ForceRedraw() override { lastIconValue_.fill(kNoIconValue); }

  const std::vector<int>& AddedIcons() const { return addedIcons_; }
  int TipIconIndex() const { return addedIcons_.empty() ? -1 : addedIcons_.back(); }
  const TrayIconRecord& Record(int index) const { return records_[index]; }

 private:
  Adding ContinueAdding(uint32_t nowTick);
  bool Offer(int index);
  bool IsAdded(int index) const;
  void FinishAdding();
  void RefreshIcon(int index, const TrayRefreshInput& input);

  AppSettings& settings_;
  TrayShell& shell_;
  TrayIconPainter& painter_;
  IconHandle applicationIcon_;

  std::array<TrayIconRecord, kAllTrayIcons> records_;
  std::array<OwnedIcon, kAllTrayIcons> drawn_;  // what records_ shows, when drawn
  std::array<bool, kAllTrayIcons> present_ = {};
  std::array<int, kAllTrayIcons> lastIconValue_;
  std::vector<int> addedIcons_;

  uint32_t offered_ = 0;  // bit i: icon i was handed to the shell this run

  std::vector<int> pendingOrder_;
  size_t nextToAdd_ = 0;
  bool refusedSinceSet_ = false;
  uint32_t refusedSince_ = 0;
};

}  // namespace korvath
