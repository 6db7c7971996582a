// The history of the run: one series per core shown, each package with a
// sensor, the GPU when it is read and the load, fed once per cycle.
#include "monitor/Monitor.h"

#include "platform/TimeSource.h"

namespace korvath {

// Fixed at start-up from what the monitor reads: every core, the slots
// first, then each package with a sensor, the GPU and the load.
void Monitor::CreateHistory() {
  std::vector<HistorySeries> series;
  historySources_.clear();
  for (int number = 0; number < temperatures_.displayCoreCount(); ++number) {
    const CoreReading core = temperatures_.Core(number);
    if (!core.present) continue;
    series.push_back({"Core " + std::to_string(number), SeriesKind::kCore, core.type});
    historySources_.push_back({SeriesKind::kCore, number});
  }
  for (size_t package = 0; package < packages_.temperatures().size(); ++package) {
    series.push_back({"Package " + std::to_string(package), SeriesKind::kPackage, CoreType::kUnknown});
    historySources_.push_back({SeriesKind::kPackage, static_cast<int>(package)});
  }
  if (gpuReading_) {
    series.push_back({"GPU", SeriesKind::kGpu, CoreType::kUnknown});
    historySources_.push_back({SeriesKind::kGpu, 0});
  }
  series.push_back({"Load", SeriesKind::kLoad, CoreType::kUnknown});
  historySources_.push_back({SeriesKind::kLoad, 0});
  historyValues_.assign(series.size(), kHistoryGap);
  history_ = std::make_unique<HistoryStore>(std::move(series));
}

// What this cycle read, and only that: a sensor that failed this cycle is a
// gap, not the last good reading the window goes on showing.
void Monitor::HistoryStep() {
  if (!history_) return;
  for (size_t i = 0; i < historySources_.size(); ++i) {
    const HistorySource& source = historySources_[i];
    int16_t value = kHistoryGap;
    switch (source.kind) {
      case SeriesKind::kCore:
      {
        const CoreReading core = temperatures_.Core(source.slot);
        if (core.readNow) value = static_cast<int16_t>(core.temperature * 10);
        break;
      }
      case SeriesKind::kGpu:
        if (gpu_.lastReadAnswered()) value = static_cast<int16_t>(gpu_.lastGpuTemperature() * 10);
        break;
      case SeriesKind::kLoad: {
        // The load the window shows: the average over the processors measured.
        double sum = 0;
        int measured = 0;
        for (int p = 0; p < cpu_.ProcessorLimit(); ++p) {
          if (!cpu_.loadMeasured[p]) continue;
          sum += cpu_.coreLoad[p];
          ++measured;
        }
        if (measured > 0) {
          double tenths = sum / measured * 10.0 + 0.5;
          value = static_cast<int16_t>(tenths < 0 ? 0 : tenths > 1000 ? 1000 : tenths);
        }
        break;
      }
      case SeriesKind::kPackage: {
        const std::optional<int>& reading = packages_.temperatures()[static_cast<size_t>(source.slot)];
        if (reading) value = static_cast<int16_t>(*reading * 10);
        break;
      }
    }
    historyValues_[i] = value;
  }
  history_->Record(seams_.time.UnixTime(), historyValues_);
  view_.HistoryRecorded();
}

}  // namespace korvath
