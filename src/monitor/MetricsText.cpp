#include "monitor/MetricsText.h"

#include <charconv>
#include <cstdint>

namespace korvath {
namespace {

void AppendInteger(std::string& out, int64_t value) {
  char digits[24];
  std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// A label value between its quotes: backslash, double quote and line feed
// are the three characters the format escapes.
void AppendLabelValue(std::string& out, std::string_view value) {
  for (char c : value) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
}

void AppendFamily(std::string& out, std::string_view name, std::string_view type, std::string_view help) {
  out.append("# HELP ").append(name).append(1, ' ').append(help).append(1, '\n');
  out.append("# TYPE ").append(name).append(1, ' ').append(type).append(1, '\n');
}

void AppendSample(std::string& out, std::string_view name, int64_t value) {
  out.append(name).append(1, ' ');
  AppendInteger(out, value);
  out += '\n';
}

void AppendSample(std::string& out, std::string_view name, std::string_view value) {
  out.append(name).append(1, ' ').append(value).append(1, '\n');
}

// The label set of one core: its number, and its type where it has one.
void AppendCoreLabels(std::string& out, const CoreMetrics& core) {
  out.append("core=\"");
  AppendInteger(out, core.slot);
  out += '"';
  if (core.type != CoreType::kUnknown) out.append(",type=\"").append(CoreTypeName(core.type)).append(1, '"');
}

void AppendCoreSample(std::string& out, std::string_view name, const CoreMetrics& core, int64_t value) {
  out.append(name).append(1, '{');
  AppendCoreLabels(out, core);
  out.append("} ");
  AppendInteger(out, value);
  out += '\n';
}

// The family only when some core has the sample: a family without samples
// would be a series that says nothing.
void AppendCoreGauge(std::string& out, const MetricsReadings& readings, std::string_view name,
                     std::string_view help, int CoreMetrics::*field, bool CoreMetrics::*when) {
  bool any = false;
  for (const CoreMetrics& core : readings.cores) {
    if (!(core.*when)) continue;
    if (!any) AppendFamily(out, name, "gauge", help);
    any = true;
    AppendCoreSample(out, name, core, core.*field);
  }
}

// The number a window text starts with, after blanks: an optional minus,
// digits and at most one point, as printf's "%f" writes them. Empty when
// the text holds none (not measured yet, or "nan").
std::string_view LeadingNumber(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  size_t end = start;
  if (text[end] == '-') ++end;
  bool digits = false;
  bool point = false;
  for (; end < text.size(); ++end) {
    char c = text[end];
    if (c >= '0' && c <= '9') digits = true;
    else if (c == '.' && !point) point = true;
    else break;
  }
  return digits ? text.substr(start, end - start) : std::string_view();
}

// "12.3" (percent with one decimal, as the window shows it) as the ratio
// "0.123": the same digits, the point moved two places. Empty unless the
// text has exactly one decimal.
bool AppendPercentAsRatio(std::string& out, std::string_view percent) {
  bool negative = !percent.empty() && percent.front() == '-';
  if (negative) percent.remove_prefix(1);
  size_t point = percent.find('.');
  if (point == std::string_view::npos || point == 0 || point + 2 != percent.size()) return false;
  int64_t tenths = 0;
  for (char c : percent) {
    if (c == '.') continue;
    if (tenths > INT64_MAX / 100) return false;
    tenths = tenths * 10 + (c - '0');
  }
  if (negative && tenths != 0) out += '-';
  AppendInteger(out, tenths / 1000);
  out += '.';
  int64_t fraction = tenths % 1000;
  out += static_cast<char>('0' + fraction / 100);
  out += static_cast<char>('0' + fraction / 10 % 10);
  out += static_cast<char>('0' + fraction % 10);
  return true;
}

void AppendTextGauge(std::string& out, std::string_view name, std::string_view help, std::string_view number) {
  if (number.empty()) return;
  AppendFamily(out, name, "gauge", help);
  AppendSample(out, name, number);
}

void AppendClockLine(std::string& out, const MetricsReadings& readings) {
  AppendTextGauge(out, "korvath_cpu_clock_mhz", "Processor clock speed in MHz.", LeadingNumber(readings.clockText));

  std::string_view busMultiplier = readings.busMultiplierText;
  std::string_view bus = LeadingNumber(busMultiplier);
  size_t times = busMultiplier.find(" x ");
  std::string_view multiplier = times == std::string_view::npos ? std::string_view()
                                                                 : LeadingNumber(busMultiplier.substr(times + 3));
  AppendTextGauge(out, "korvath_cpu_bus_mhz", "Bus speed in MHz.", bus);
  AppendTextGauge(out, "korvath_cpu_multiplier", "Current multiplier of the processor.", multiplier);

  std::string_view load = readings.loadText;
  constexpr std::string_view kLoadWord = "Load";
  if (load.substr(0, kLoadWord.size()) != kLoadWord) return;
  std::string_view percent = LeadingNumber(load.substr(kLoadWord.size()));
  if (percent.empty()) return;
  size_t mark = out.size();
  AppendFamily(out, "korvath_cpu_load_ratio", "gauge", "Average load over all processors, 0 to 1.");
  out.append("korvath_cpu_load_ratio ");
  if (!AppendPercentAsRatio(out, percent)) {
    out.resize(mark);
    return;
  }
  out += '\n';
}

void AppendPackageTemperatures(std::string& out, std::span<const std::optional<int>> temperatures) {
  constexpr std::string_view kName = "korvath_package_temperature_celsius";
  bool any = false;
  for (const std::optional<int>& temperature : temperatures) any = any || temperature.has_value();
  if (!any) return;
  AppendFamily(out, kName, "gauge", "Temperature of the processor package's own sensor in degrees Celsius.");
  for (size_t package = 0; package < temperatures.size(); ++package) {
    if (!temperatures[package]) continue;
    out.append(kName).append("{package=\"");
    AppendInteger(out, static_cast<int64_t>(package));
    out.append("\"} ");
    AppendInteger(out, *temperatures[package]);
    out += '\n';
  }
}

const char* StateName(ThermalState state) {
  switch (state) {
    case ThermalState::kOk:
      return "OK";
    case ThermalState::kLog:
      return "LOG";
    case ThermalState::kHot:
      return "HOT";
  }
  return "OK";
}

constexpr std::string_view kUpHelp = "1 while Korvath writes this file.";

}  // namespace

std::string MetricsStoppedText() {
  std::string text;
  AppendFamily(text, "korvath_up", "gauge", kUpHelp);
  AppendSample(text, "korvath_up", int64_t{0});
  return text;
}

std::string MetricsHead(std::string_view model, std::string_view signature, std::string_view version) {
  std::string head;
  AppendFamily(head, "korvath_up", "gauge", kUpHelp);
  AppendSample(head, "korvath_up", int64_t{1});
  AppendFamily(head, "korvath_info", "gauge", "The processor's model and signature and the version of Korvath.");
  head.append("korvath_info{model=\"");
  AppendLabelValue(head, model);
  head.append("\",signature=\"");
  AppendLabelValue(head, signature);
  head.append("\",version=\"");
  AppendLabelValue(head, version);
  head.append("\"} 1\n");
  return head;
}

void AppendMetricsReadings(const MetricsReadings& readings, std::string& out) {
  constexpr bool CoreMetrics::*kReadNow = &CoreMetrics::readNow;
  constexpr bool CoreMetrics::*kHasRecords = &CoreMetrics::hasRecords;
  AppendCoreGauge(out, readings, "korvath_core_temperature_celsius", "Core temperature in degrees Celsius.",
                  &CoreMetrics::temperature, kReadNow);
  AppendCoreGauge(out, readings, "korvath_core_tjmax_celsius",
                  "Maximum junction temperature (TjMax) of the core in degrees Celsius.", &CoreMetrics::tjMax,
                  kReadNow);
  AppendCoreGauge(out, readings, "korvath_core_distance_to_tjmax_celsius",
                  "Degrees Celsius the core runs below its TjMax; negative above it.", &CoreMetrics::distance,
                  kReadNow);
  AppendCoreGauge(out, readings, "korvath_core_temperature_min_celsius",
                  "Lowest core temperature since the start or the last Reset, in degrees Celsius.",
                  &CoreMetrics::minimum, kHasRecords);
  AppendCoreGauge(out, readings, "korvath_core_temperature_max_celsius",
                  "Highest core temperature since the start or the last Reset, in degrees Celsius.",
                  &CoreMetrics::maximum, kHasRecords);

  constexpr std::string_view kStatus = "korvath_core_thermal_status";
  bool statusFamily = false;
  for (const CoreMetrics& core : readings.cores) {
    if (!core.readNow) continue;
    if (!statusFamily) {
      AppendFamily(out, kStatus, "gauge", "Thermal status of the core: 1 for the one it has (OK, LOG or HOT).");
    }
    statusFamily = true;
    for (ThermalState state : {ThermalState::kOk, ThermalState::kLog, ThermalState::kHot}) {
      out.append(kStatus).append(1, '{');
      AppendCoreLabels(out, core);
      out.append(",status=\"").append(StateName(state)).append("\"} ");
      out += core.state == state ? '1' : '0';
      out += '\n';
    }
  }

  if (!readings.cores.empty()) {
    constexpr std::string_view kFailures = "korvath_core_sensor_read_failures_total";
    AppendFamily(out, kFailures, "counter", "Sensor reads of the core refused since Korvath started.");
    for (const CoreMetrics& core : readings.cores) {
      AppendCoreSample(out, kFailures, core, static_cast<int64_t>(core.readFailures));
    }
  }

  AppendPackageTemperatures(out, readings.packageTemperatures);
  AppendClockLine(out, readings);

  if (readings.gpuRead) {
    AppendFamily(out, "korvath_gpu_temperature_celsius", "gauge", "GPU temperature in degrees Celsius.");
    AppendSample(out, "korvath_gpu_temperature_celsius", readings.gpuTemperature);
    AppendFamily(out, "korvath_gpu_temperature_min_celsius", "gauge",
                 "Lowest GPU temperature since the start or the last Reset, in degrees Celsius.");
    AppendSample(out, "korvath_gpu_temperature_min_celsius", readings.gpuMinimum);
    AppendFamily(out, "korvath_gpu_temperature_max_celsius", "gauge",
                 "Highest GPU temperature since the start or the last Reset, in degrees Celsius.");
    AppendSample(out, "korvath_gpu_temperature_max_celsius", readings.gpuMaximum);
  }

  AppendFamily(out, "korvath_alarm_active", "gauge",
               "1 while the source's temperature is at or above its alarm threshold (alarms on).");
  out.append("korvath_alarm_active{source=\"cpu\"} ").append(readings.cpuAlarm ? "1\n" : "0\n");
  out.append("korvath_alarm_active{source=\"gpu\"} ").append(readings.gpuAlarm ? "1\n" : "0\n");

  AppendFamily(out, "korvath_monitor_cycles_total", "counter", "Monitor cycles run since Korvath started.");
  AppendSample(out, "korvath_monitor_cycles_total", static_cast<int64_t>(readings.cycles));
  AppendFamily(out, "korvath_last_update_timestamp_seconds", "gauge",
               "Time of the cycle that wrote this file, in seconds since 1970-01-01 UTC.");
  AppendSample(out, "korvath_last_update_timestamp_seconds", readings.unixTime);
}

}  // namespace korvath
