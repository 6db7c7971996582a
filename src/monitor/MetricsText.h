// The readings of one monitor cycle in the Prometheus text exposition format
// (version 0.0.4), the form that monitoring systems collect from text files.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hw/CoreType.h"
#include "hw/CpuInfo.h"

namespace korvath {

// The version the window title and the About box show.
inline constexpr std::string_view kVersionText = "2.90";

enum class ThermalState { kOk, kLog, kHot };

struct CoreMetrics {
  int slot = 0;  // the display core's number, the "core" label
  // On hybrid processors the "type" label (P, E, LP-E); none otherwise.
  CoreType type = CoreType::kUnknown;
  // The sensor answered in this cycle: temperature, TjMax, distance and
  // status are written only then, as a failed read is no new reading.
  bool readNow = true;
  // The window shows a minimum and a maximum (not after a Reset until the
  // next good reading).
  bool hasRecords = true;
  uint64_t readFailures = 0;  // refused sensor reads since the start
  int temperature = 0;
  int tjMax = 0;
  int distance = 0;  // degrees below TjMax; negative above it
  int minimum = 0;
  int maximum = 0;
  ThermalState state = ThermalState::kOk;
};

// Everything one cycle's file says beyond its head, as the window shows it.
struct MetricsReadings {
  // The present cores in display order, read or not: the slots, then the
  // cores beyond them. The caller owns the storage.
  std::span<const CoreMetrics> cores;
  // One entry per package where the processor has a package sensor; a
  // package not read this cycle has no sample.
  std::span<const std::optional<int>> packageTemperatures;
  // The clock line's texts as the window shows them ("%.2f MHz",
  // "%.2f x %.1f", "Load %5.1f%%"); a series whose number is not there yet
  // (no clock measured) is left out.
  std::string_view clockText;
  std::string_view busMultiplierText;
  std::string_view loadText;
  bool gpuRead = false;  // the GPU gave a temperature in this cycle
  int gpuTemperature = 0;
  int gpuMinimum = 0;
  int gpuMaximum = 0;
  bool cpuAlarm = false;
  bool gpuAlarm = false;
  uint64_t cycles = 0;    // since the program started; Reset does not touch it
  int64_t unixTime = 0;   // seconds since 1970-01-01 UTC
};

// korvath_up and korvath_info, the same for the whole run.
std::string MetricsHead(std::string_view model, std::string_view signature, std::string_view version);

// The file left behind when Korvath ends: korvath_up 0 and nothing else, so
// that no reading outlives the program that took it.
std::string MetricsStoppedText();

// Appends the series of one cycle to out, which keeps what it holds (the
// head) and its capacity.
void AppendMetricsReadings(const MetricsReadings& readings, std::string& out);

}  // namespace korvath
