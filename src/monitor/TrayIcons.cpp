#include "monitor/TrayIcons.h"

#include <algorithm>

#include "monitor/TrayIconText.h"

namespace korvath {

TrayIcons::TrayIcons(AppSettings& settings, TrayShell& shell, TrayIconPainter& painter,
                     IconHandle applicationIcon)
    : settings_(settings), shell_(shell), painter_(painter), applicationIcon_(applicationIcon) {
  for (int i = 0; i < kAllTrayIcons; ++i) {
    records_[i].id = kTrayIconBaseId + static_cast<uint32_t>(i);
    records_[i].icon = applicationIcon_;
  }
  lastIconValue_.fill(kNoIconValue);
}

TrayIcons::Adding TrayIcons::BeginAdding(const std::array<bool, kTrayIconCount>& present, uint32_t nowTick) {
  std::copy(present.begin(), present.end(), present_.begin());
  present_[kHottestIconIndex] = false;
  for (int slot = 0; slot < kCoreSlots; ++slot) present_[kHottestIconIndex] |= present[slot];
  pendingOrder_.clear();
  for (int i = kAllTrayIcons - 1; i >= 0; --i) {
    if (!present_[i]) continue;
    records_[i].icon = applicationIcon_;
    records_[i].tip.clear();
    drawn_[i].Reset();
    if (settings_.iconShow & (1u << i)) pendingOrder_.push_back(i);
  }
  nextToAdd_ = 0;
  refusedSinceSet_ = false;
  return ContinueAdding(nowTick);
}

TrayIcons::Adding TrayIcons::RetryAdding(uint32_t nowTick) {
  if (!AddingPending()) return Adding::kDone;
  return ContinueAdding(nowTick);
}

TrayIcons::Adding TrayIcons::ContinueAdding(uint32_t nowTick) {
  while (AddingPending()) {
    int index = pendingOrder_[nextToAdd_];
    if (Offer(index)) {
      addedIcons_.push_back(index);
    } else {
      if (!refusedSinceSet_) {
        refusedSinceSet_ = true;
        refusedSince_ = nowTick;
      }
      // One limit for the whole run: without a notification area the user
      // should not wait two minutes per icon for the task-bar fallback.
      if (static_cast<uint32_t>(nowTick - refusedSince_) < kTrayRetryLimitMs) return Adding::kRetrying;
    }
    ++nextToAdd_;
  }
  FinishAdding();
  return Adding::kDone;
}

// A shell that answered an add too late has the icon although it reported
// a failure; the next add of the same id then fails for good. Changing the
// icon tells the two cases apart and brings it up to date.
bool TrayIcons::Offer(int index) {
  offered_ |= 1u << index;
  return shell_.AddIcon(records_[index]) || shell_.ModifyIcon(records_[index]);
}

bool TrayIcons::IsAdded(int index) const {
  return std::find(addedIcons_.begin(), addedIcons_.end(), index) != addedIcons_.end();
}

void TrayIcons::FinishAdding() {
  pendingOrder_.clear();
  nextToAdd_ = 0;
  // Without an icon a minimised window must stay reachable.
  if (addedIcons_.empty()) settings_.taskBar = true;
  if (!present_[kGpuIconIndex]) settings_.iconShow &= ~kIconShowGpu;
}

TrayIcons::Adding TrayIcons::OnTaskbarCreated(uint32_t nowTick) {
  addedIcons_.clear();
  pendingOrder_.clear();
  for (int i = kAllTrayIcons - 1; i >= 0; --i) {
    if (present_[i] && (settings_.iconShow & (1u << i))) pendingOrder_.push_back(i);
  }
  nextToAdd_ = 0;
  refusedSinceSet_ = false;
  return ContinueAdding(nowTick);
}

void TrayIcons::Refresh(const TrayRefreshInput& input) {
  int tipIndex = TipIconIndex();
  if (tipIndex >= 0 && !settings_.trayInfo) records_[tipIndex].tip = input.trayTipText;
  for (int i = 0; i < kAllTrayIcons; ++i) {
    bool present = i == kHottestIconIndex ? input.hottestPresent : input.present[i];
    if (!present || (settings_.iconShow & (1u << i)) == 0 || !IsAdded(i)) continue;
    RefreshIcon(i, input);
  }
}

void TrayIcons::RefreshIcon(int index, const TrayRefreshInput& input) {
  bool isGpu = index == kGpuIconIndex;
  bool isHottest = index == kHottestIconIndex;
  bool isTipIcon = index == TipIconIndex();
  TrayIconRecord& record = records_[index];
  if (settings_.trayInfo) {
    record.tip = input.trayTipText;
  } else if (!isTipIcon) {
    static constexpr const char* kTips[kAllTrayIcons] = {"Core 0", "Core 1", "Core 2", "Core 3", " GPU ",
                                                         kHottestCoreText};
    record.tip = kTips[index];
  }

  int temperature = isHottest ? input.hottestTemperature : input.temperature[index];
  int value = isHottest ? input.hottestValue
                        : TrayIconValue(settings_.iconShow, index, temperature, isGpu ? 0 : input.readout[index],
                                        input.stats);
  if (value == lastIconValue_[index] && !isTipIcon && !settings_.trayInfo && !settings_.alarm) return;
  lastIconValue_[index] = value;

  int threshold = isGpu ? settings_.alarm2 : settings_.alarm1;
  bool blink = input.alarmThisCycle && temperature >= threshold && input.stats.cycleCount % 2 == 1;
  if (blink) {
    lastIconValue_[index] = 0;
    record.icon = applicationIcon_;
    shell_.ModifyIcon(record);
    drawn_[index].Reset();  // only once the shell shows the replacement
    return;
  }

  // The hottest core's icon has no colour setting of its own: it takes core
  // 0's, the colour of the icon most users keep.
  uint32_t colour = settings_.iconTextColor[isHottest ? 0 : index];
  IconHandle icon = painter_.DrawIcon(TrayIconText(value), colour, settings_.fontNumber);
  if (icon == 0) {
    // The old picture stays; forget the value so that the next cycle tries
    // again instead of taking the number as shown.
    lastIconValue_[index] = kNoIconValue;
    return;
  }
  OwnedIcon replacement(painter_, icon);
  record.icon = icon;
  shell_.ModifyIcon(record);
  drawn_[index] = std::move(replacement);
}

void TrayIcons::DeleteShownIcons() {
  for (int i = 0; i < kAllTrayIcons; ++i) {
    if ((settings_.iconShow | offered_) & (1u << i)) shell_.DeleteIcon(records_[i]);
  }
  offered_ = 0;
  addedIcons_.clear();
  pendingOrder_.clear();
  nextToAdd_ = 0;
  for (int i = 0; i < kAllTrayIcons; ++i) {
    records_[i].icon = applicationIcon_;
    drawn_[i].Reset();
  }
}

bool TrayIcons::AddIcon(int index) {
  if (index < 0 || index >= kAllTrayIcons) return false;
  if (!Offer(index)) return false;
  addedIcons_.push_back(index);
  return true;
}

void TrayIcons::DeleteIcon(int index) {
  if (index < 0 || index >= kAllTrayIcons) return;
  shell_.DeleteIcon(records_[index]);
  addedIcons_.erase(std::remove(addedIcons_.begin(), addedIcons_.end(), index), addedIcons_.end());
}

}  // namespace korvath
