// Reads korvath.rc and resource.h as the resource compiler would (for the
// statements they use) and holds the dialogs to their layout tables, which
// are written out here with plain numbers so that a wrong id in resource.h
// is caught as well as a wrong position.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestMachines.h"
#include "resources/Version.h"

namespace korvath {
namespace {

std::string ReadFile(const std::string& relative) {
  std::ifstream in(testing::SourcePath(relative), std::ios::binary);
  EXPECT_TRUE(in.good()) << relative;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  size_t last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Splits at commas outside quotes; quoted fields keep their quotes.
std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.push_back({});
      continue;
    }
    fields.back() += c;
  }
  for (std::string& field : fields) field = Trim(field);
  return fields;
}

struct Control {
  std::string kind;  // EDITTEXT, PUSHBUTTON, CONTROL, ...
  std::string text;  // without quotes
  int id = 0;
  std::string windowClass;
  std::set<std::string> flags;
  int x = 0, y = 0, width = 0, height = 0;
};

struct DialogTemplate {
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  std::string font;
  std::set<std::string> style;
  std::vector<Control> controls;

  const Control* Find(int id) const {
    for (const Control& control : controls) {
      if (control.id == id) return &control;
    }
    return nullptr;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Control& control : controls) texts.push_back(control.text);
    return texts;
  }
};

class ResourceScript {
 public:
  ResourceScript() {
    ReadDefines(ReadFile("src/resources/resource.h"));
    std::string script = ReadFile("src/resources/korvath.rc");
    ReadDefines(script);
    std::istringstream lines(script);
    std::string line;
    DialogTemplate* dialog = nullptr;
    while (std::getline(lines, line)) {
      line = Trim(line);
      if (line.empty() || line.rfind("//", 0) == 0 || line[0] == '#') continue;
      std::string keyword = line.substr(0, line.find_first_of(" \t"));
      std::string rest = Trim(line.substr(keyword.size()));
      if (dialog) {
        if (keyword == "END") dialog = nullptr;
        else if (keyword == "STYLE") dialog->style = Flags(rest);
        else if (keyword == "CAPTION") dialog->caption = Unquote(rest);
        else if (keyword == "FONT") dialog->font = Font(rest);
        else if (keyword != "BEGIN") dialog->controls.push_back(ParseControl(keyword, rest));
        continue;
      }
      std::istringstream words(line);
      std::string name, type;
      words >> name >> type;
      if (type == "DIALOGEX") {
        dialog = &dialogs[Value(name)];
        std::vector<std::string> box = SplitFields(Trim(line.substr(line.find("DIALOGEX") + 8)));
        dialog->x = Value(box.at(0));
        dialog->y = Value(box.at(1));
        dialog->width = Value(box.at(2));
        dialog->height = Value(box.at(3));
      } else if (type == "ICON" || type == "BITMAP") {
        resources[type].insert(Value(name));
      } else if (name == "STRINGTABLE") {
        while (std::getline(lines, line) && Trim(line) != "END") {
          std::istringstream entry(Trim(line));
          std::string id;
          entry >> id;
          if (id != "BEGIN") strings[Value(id)] = Unquote(Trim(Trim(line).substr(id.size())));
        }
      }
    }
  }

  std::map<int, DialogTemplate> dialogs;
  std::map<std::string, std::set<int>> resources;
  std::map<int, std::string> strings;

 private:
  void ReadDefines(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::string directive, name;
      words >> directive >> name;
      if (directive != "#define" || name.empty()) continue;
      std::string value;
      std::getline(words, value);
      value = Trim(value.substr(0, value.find("//")));
      if (value.size() >= 2 && value.front() == '(' && value.back() == ')') value = value.substr(1, value.size() - 2);
      defines[name] = value;
    }
  }

  int Value(const std::string& token) const {
    static const std::map<std::string, int> kSystemIds = {{"IDOK", 1}, {"IDCANCEL", 2}};
    if (auto system = kSystemIds.find(token); system != kSystemIds.end()) return system->second;
    if (auto define = defines.find(token); define != defines.end()) return Value(define->second);
    size_t used = 0;
    int value = std::stoi(token, &used, 0);
    EXPECT_EQ(used, token.size()) << "not a number: " << token;
    return value;
  }

  // The flag names of a style expression, with macros expanded and NOT applied.
  std::set<std::string> Flags(const std::string& expression, std::set<std::string> flags = {}) const {
    std::string text;
    for (char c : expression) text += (c == '(' || c == ')' || c == '|') ? ' ' : c;
    std::istringstream words(text);
    std::string word;
    bool negate = false;
    while (words >> word) {
      if (word == "NOT") {
        negate = true;
        continue;
      }
      std::set<std::string> expanded;
      if (auto define = defines.find(word); define != defines.end()) expanded = Flags(define->second);
      else expanded = {word};
      for (const std::string& flag : expanded) {
        if (negate) flags.erase(flag);
        else flags.insert(flag);
      }
      negate = false;
    }
    return flags;
  }

  static std::string Unquote(const std::string& text) {
    return text.size() >= 2 && text.front() == '"' ? text.substr(1, text.size() - 2) : text;
  }

  static std::string Font(const std::string& text) {
    std::vector<std::string> fields = SplitFields(text);
    return fields.at(0) + " " + Unquote(fields.at(1));
  }

  Control ParseControl(const std::string& keyword, const std::string& rest) const {
    static const std::map<std::string, std::set<std::string>> kImplied = {
        {"EDITTEXT", {"WS_TABSTOP", "WS_BORDER"}}, {"PUSHBUTTON", {"WS_TABSTOP"}}, {"DEFPUSHBUTTON", {"WS_TABSTOP"}}};
    std::vector<std::string> fields = SplitFields(rest);
    Control control;
    control.kind = keyword;
    size_t at = 0;
    if (keyword != "EDITTEXT") {
      const std::string& text = fields.at(at++);
      // An unquoted text names a resource, such as a static's bitmap.
      control.text = text.front() == '"' ? Unquote(text) : std::to_string(Value(text));
    }
    control.id = Value(fields.at(at++));
    if (auto implied = kImplied.find(keyword); implied != kImplied.end()) control.flags = implied->second;
    if (keyword == "CONTROL") {
      control.windowClass = Unquote(fields.at(at++));
      control.flags = Flags(fields.at(at++));
    }
    control.x = Value(fields.at(at++));
    control.y = Value(fields.at(at++));
    control.width = Value(fields.at(at++));
    control.height = Value(fields.at(at++));
    if (keyword != "CONTROL" && at < fields.size()) control.flags = Flags(fields.at(at), control.flags);
    return control;
  }

  std::map<std::string, std::string> defines;
};

const ResourceScript& Script() {
  static const ResourceScript script;
  return script;
}

struct Placement {
  int id, x, y, width, height;
};

void ExpectPlacements(const DialogTemplate& dialog, const std::vector<Placement>& table) {
  std::set<int> seen;
  for (const Placement& expected : table) {
    EXPECT_TRUE(seen.insert(expected.id).second) << "table lists " << expected.id << " twice";
    const Control* control = dialog.Find(expected.id);
    if (!control) {
      ADD_FAILURE() << "no control " << expected.id;
      continue;
    }
    EXPECT_EQ((std::vector<int>{control->x, control->y, control->width, control->height}),
              (std::vector<int>{expected.x, expected.y, expected.width, expected.height}))
        << "control " << expected.id;
  }
}

void ExpectText(const DialogTemplate& dialog, int id, const std::string& text) {
  const Control* control = dialog.Find(id);
  ASSERT_NE(control, nullptr) << id;
  EXPECT_EQ(control->text, text) << id;
}

// Ids given to more than one control (statics excepted) would confuse GetDlgItem.
void ExpectUniqueIds(const DialogTemplate& dialog) {
  std::set<int> ids;
  for (const Control& control : dialog.controls) {
    if (control.id != -1) {
      EXPECT_TRUE(ids.insert(control.id).second) << "duplicate id " << control.id;
    }
  }
}

std::vector<int> Row(int x0, int step, int count) {
  std::vector<int> xs;
  for (int i = 0; i < count; ++i) xs.push_back(x0 + step * i);
  return xs;
}

TEST(DialogTemplates, MainWindowLayout) {
  const DialogTemplate& dialog = Script().dialogs.at(102);
  EXPECT_EQ((std::vector<int>{dialog.width, dialog.height}), (std::vector<int>{208, 227}));
  EXPECT_EQ(dialog.caption, "Korvath");
  EXPECT_EQ(dialog.font, "8 Tahoma");
  for (const char* flag : {"WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "WS_MINIMIZEBOX", "DS_MODALFRAME"})
    EXPECT_TRUE(dialog.style.count(flag)) << flag;
  EXPECT_FALSE(dialog.style.count("WS_MAXIMIZEBOX"));
  EXPECT_FALSE(dialog.style.count("WS_THICKFRAME"));

  std::vector<Placement> table = {
      {1169, 4, 0, 200, 39},  {1043, 8, 9, 60, 12},    {1155, 73, 9, 60, 12},   {1159, 138, 9, 60, 12},
      {1161, 8, 24, 60, 12},  {1157, 73, 24, 60, 12},  {1158, 138, 24, 60, 12}, {1164, 4, 43, 200, 26},
      {1165, 4, 73, 200, 26}, {1166, 4, 103, 200, 35}, {1167, 4, 142, 200, 35}, {1168, 4, 181, 200, 23},
  };
  struct Band {
    std::vector<int> ids;
    int y, height;
  } bands[] = {
      {{1001, 1002, 1003, 1004}, 51, 15}, {{1005, 1006, 1007, 1008}, 82, 15},
      {{1019, 1022, 1024, 1026}, 113, 12}, {{1028, 1030, 1032, 1034}, 124, 12},
      {{1020, 1023, 1025, 1027}, 152, 12}, {{1029, 1031, 1033, 1035}, 163, 12},
      {{1109, 1110, 1111, 1112}, 190, 12},
  };
  for (const Band& band : bands) {
    for (int core = 0; core < 4; ++core) table.push_back({band.ids[core], 9 + 49 * core, band.y, 42, band.height});
  }
  int buttons[] = {1045, 1050, 1058, 1082};
  for (int i = 0; i < 4; ++i) table.push_back({buttons[i], 5 + 50 * i, 209, 48, 14});
  ExpectPlacements(dialog, table);
  EXPECT_EQ(dialog.controls.size(), table.size());
  ExpectUniqueIds(dialog);

  for (auto [id, text] : std::map<int, std::string>{{1045, "Sensor Test"}, {1050, "QZ Bench"}, {1058, "Reset"},
                                                    {1082, "Settings"}, {1164, "Temperature (°C)"},
                                                    {1165, "Distance to TJ Max"}, {1166, "Minimum"},
                                                    {1167, "Maximum"}, {1168, "Thermal Status"}, {1169, ""}})
    ExpectText(dialog, id, text);
  // Enter must find no control 1 here: that is what keeps the window open.
  EXPECT_EQ(dialog.Find(1), nullptr);
  for (const Control& control : dialog.controls) {
    if (control.kind == "EDITTEXT") {
      EXPECT_TRUE(control.flags.count("ES_READONLY")) << control.id;
    }
  }
}

TEST(DialogTemplates, SettingsLayoutAndTabOrder) {
  const DialogTemplate& dialog = Script().dialogs.at(147);
  // 17 units taller than the first layout: "Start with Windows" below the
  // bottom buttons, where it moves nothing.
  EXPECT_EQ((std::vector<int>{dialog.width, dialog.height}), (std::vector<int>{244, 326}));
  EXPECT_EQ(dialog.caption, "Settings");
  EXPECT_EQ(dialog.font, "8 Tahoma");

  std::vector<Placement> table = {
      {1086, 12, 30, 47, 13},  {1009, 56, 64, 15, 12},   {1113, 92, 64, 65, 12},   {1114, 164, 64, 65, 12},
      {1011, 56, 80, 15, 12},  {1115, 92, 80, 65, 12},   {1116, 164, 80, 65, 12},  {1170, 55, 113, 29, 12},
      {1013, 66, 130, 15, 12}, {1101, 92, 178, 65, 13},  {1100, 164, 178, 65, 13}, {1012, 92, 197, 15, 12},
      {1117, 113, 196, 20, 13}, {1118, 137, 196, 20, 13}, {1119, 164, 196, 65, 13}, {1104, 49, 216, 11, 12},
      {1105, 128, 216, 29, 12}, {1106, 200, 216, 29, 12}, {1142, 12, 232, 48, 13},  {1143, 91, 232, 138, 13},
      {1078, 49, 251, 11, 12},  {1079, 70, 251, 29, 12},  {1107, 218, 251, 11, 12}, {1081, 49, 268, 11, 12},
      {1080, 100, 268, 11, 12}, {1083, 160, 268, 11, 12}, {1095, 218, 268, 11, 12}, {1063, 4, 291, 48, 14},
      {1, 91, 291, 48, 14},     {2, 141, 291, 48, 14},    {1088, 191, 291, 48, 14},
      {1271, 6, 310, 120, 12},  {1272, 130, 310, 100, 12},
  };
  std::vector<int> columns = Row(92, 36, 4);
  for (int slot = 0; slot < 4; ++slot) {
    table.push_back({1068 + slot, columns[slot], 14, 29, 12});
    table.push_back({1064 + slot, columns[slot], 31, 29, 12});
    table.push_back({1091 + slot, columns[slot], 113, 29, 12});
    table.push_back({1073 + slot, columns[slot] + 10, 130, 15, 12});
  }
  int radios[] = {1049, 1036, 1037, 1038};
  for (int i = 0; i < 4; ++i) table.push_back({radios[i], 102 + 36 * i, 147, 15, 12});
  ExpectPlacements(dialog, table);
  ExpectUniqueIds(dialog);

  std::vector<int> leading = {1,    2,    1088, 1063, 1068, 1069, 1070, 1071, 1064, 1065, 1066,
                              1067, 1091, 1092, 1093, 1094, 1079, 1105, 1106, 1073, 1074, 1075,
                              1076, 1049, 1036, 1037, 1038, 1081, 1083, 1080, 1078, 1104, 1095};
  ASSERT_GE(dialog.controls.size(), leading.size());
  std::vector<int> order;
  for (size_t i = 0; i < leading.size(); ++i) order.push_back(dialog.controls[i].id);
  EXPECT_EQ(order, leading);
  std::set<int> among = {1086, 1101, 1100, 1107, 1009, 1011, 1113, 1114, 1115, 1116,
                         1119, 1012, 1117, 1118, 1142, 1143, 1170, 1013, 1271, 1272, -1};
  std::set<int> tabStops;
  for (size_t i = 0; i < dialog.controls.size(); ++i) {
    const Control& control = dialog.controls[i];
    if (i >= leading.size()) {
      EXPECT_TRUE(among.count(control.id)) << "unexpected control " << control.id;
    }
    if (control.flags.count("WS_TABSTOP")) tabStops.insert(control.id);
  }
  EXPECT_EQ(tabStops, (std::set<int>{1, 2, 1088, 1063, 1068, 1069, 1070, 1071, 1064, 1065, 1066, 1067, 1079,
                                     1105, 1106, 1012, 1117, 1118, 1142}));

  for (int id = 1064; id <= 1067; ++id) EXPECT_TRUE(dialog.Find(id)->flags.count("WS_DISABLED")) << id;
  EXPECT_TRUE(dialog.Find(1049)->flags.count("WS_GROUP"));
  EXPECT_TRUE(dialog.Find(1081)->flags.count("WS_GROUP"));  // ends the font group
  for (int id : {1036, 1037, 1038}) EXPECT_FALSE(dialog.Find(id)->flags.count("WS_GROUP")) << id;
  EXPECT_TRUE(dialog.Find(1086)->flags.count("BS_PUSHLIKE"));
  for (int id : {1101, 1100, 1119, 1143}) EXPECT_TRUE(dialog.Find(id)->flags.count("ES_READONLY")) << id;

  for (auto [id, text] : std::map<int, std::string>{
           {1, "OK"}, {2, "Cancel"}, {1088, "Apply"}, {1063, "Defaults"}, {1086, "Set TJ Max"},
           {1113, "Background"}, {1114, "Text Color"}, {1115, "Background"}, {1116, "Text Color"},
           {1170, "GPU"}, {1091, "Core 0"}, {1094, "Core 3"}, {1117, "+"}, {1118, "-"}, {1142, "Alarm EXE"},
           {1271, "Start with Windows"}, {1272, "Hottest core tray icon"}})
    ExpectText(dialog, id, text);
  std::vector<std::string> texts = dialog.Texts();
  for (const char* label : {"Temperature Settings", "Dialog Color", "System Tray Settings", "Other Settings",
                            "Idle Calibration", "Normal", "Mini Mode", "Color", "Display", "Font Options",
                            "Core VID", "Clock Modulation", "Alarms", "CPU °C", "GPU °C", "Log File", "seconds",
                            "Excel .CSV Format", "Minimized", "On Top", "Task Bar", "Tray Info"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
}

TEST(DialogTemplates, SensorTestLayout) {
  const DialogTemplate& dialog = Script().dialogs.at(148);
  EXPECT_EQ((std::vector<int>{dialog.width, dialog.height}), (std::vector<int>{233, 272}));
  EXPECT_EQ(dialog.caption, "Sensor Test");
  EXPECT_EQ(dialog.font, "8 Tahoma");

  const int rows[10][5] = {
      {1005, 1006, 1007, 1008, 1144}, {1043, 1019, 1020, 1022, 1145}, {1023, 1024, 1025, 1026, 1146},
      {1027, 1028, 1029, 1030, 1147}, {1031, 1032, 1033, 1034, 1148}, {1035, 1044, 1123, 1124, 1149},
      {1125, 1126, 1127, 1128, 1150}, {1129, 1130, 1131, 1132, 1151}, {1133, 1134, 1135, 1136, 1153},
      {1137, 1138, 1139, 1140, 1154},
  };
  std::vector<int> columns = Row(62, 40, 4);
  std::vector<Placement> table = {
      {1141, 5, 235, 222, 12}, {1122, 5, 254, 87, 14}, {1120, 124, 254, 50, 14}, {1121, 177, 254, 50, 14}};
  for (int core = 0; core < 4; ++core) table.push_back({1001 + core, columns[core], 31, 33, 12});
  for (int r = 0; r < 10; ++r) {
    int y = 85 + 14 * r;
    for (int core = 0; core < 4; ++core) table.push_back({rows[r][core], columns[core], y, 33, 12});
    table.push_back({rows[r][4], 10, y, 48, 12});
  }
  ExpectPlacements(dialog, table);
  ExpectUniqueIds(dialog);
  ExpectText(dialog, 1122, "Download Prime 95");
  ExpectText(dialog, 1120, "Start");
  ExpectText(dialog, 1121, "Stop");

  std::map<std::string, std::vector<int>> statics;
  for (const Control& control : dialog.controls) {
    if (control.id == -1) statics[control.text] = {control.x, control.y, control.width, control.height};
  }
  EXPECT_EQ(statics["Sensor Movement Test"], (std::vector<int>{5, 5, 222, 43}));
  EXPECT_EQ(statics["CPU Cool Down Test"], (std::vector<int>{5, 52, 222, 176}));
  EXPECT_EQ(statics["Movement"], (std::vector<int>{10, 31, 48, 10}));
  EXPECT_EQ(statics["CPU Load"], (std::vector<int>{10, 67, 48, 10}));
  EXPECT_EQ(statics["Average Distance to TJMax"], (std::vector<int>{62, 67, 153, 10}));
  for (int core = 0; core < 4; ++core)
    EXPECT_EQ(statics["Core " + std::to_string(core)], (std::vector<int>{columns[core], 16, 33, 10})) << core;

  // The line of every core's movement: borderless and read-only, clear of
  // every control but the box it sits in.
  ExpectPlacements(dialog, {{1300, 80, 58, 135, 9}});
  const Control& line = *dialog.Find(1300);
  EXPECT_TRUE(line.flags.count("ES_READONLY") && !line.flags.count("WS_BORDER") && !line.flags.count("WS_TABSTOP"));
  for (const Control& other : dialog.controls) {
    if (&other == &line || other.kind == "GROUPBOX") continue;
    const bool apart = other.x >= line.x + line.width || line.x >= other.x + other.width ||
                       other.y >= line.y + line.height || line.y >= other.y + other.height;
    EXPECT_TRUE(apart) << "overlaps " << other.text << " " << other.id;
  }
}

TEST(DialogTemplates, AboutBoxAndTheOtherResources) {
  const DialogTemplate& dialog = Script().dialogs.at(100);
  EXPECT_EQ((std::vector<int>{dialog.width, dialog.height}), (std::vector<int>{221, 197}));
  EXPECT_EQ(dialog.caption, "About");
  EXPECT_EQ(dialog.font, "8 Tahoma");
  ExpectPlacements(dialog, {{1162, 44, 130, 133, 20}, {1059, 44, 157, 133, 35}});
  ExpectText(dialog, 1162, "Intel Processor Spec Finder");
  EXPECT_TRUE(dialog.Find(1059)->flags.count("BS_DEFPUSHBUTTON"));
  EXPECT_TRUE(dialog.Find(1059)->flags.count("BS_BITMAP"));

  std::map<std::string, std::vector<int>> statics;
  for (const Control& control : dialog.controls) {
    if (control.id == -1) statics[control.text] = {control.x, control.y, control.width, control.height};
  }
  EXPECT_EQ(statics["134"], (std::vector<int>{11, 10, 96, 89}));  // the picture, bitmap 134
  // The dialog's version text is the one CMake's version gives.
  std::string version = "Korvath  " KORVATH_VERSION_TEXT " RC" + std::to_string(KORVATH_RELEASE_CANDIDATE);
  EXPECT_EQ(statics[version], (std::vector<int>{119, 12, 90, 8}));
  EXPECT_EQ(statics["January 7, 2009"], (std::vector<int>{119, 23, 90, 8}));
  std::vector<int> creditRows;
  for (const auto& [text, box] : statics) {
    if (box[0] == 119 && box[2] == 90 && box[3] == 8 && box[1] >= 34) creditRows.push_back(box[1]);
  }
  std::sort(creditRows.begin(), creditRows.end());
  EXPECT_EQ(creditRows, (std::vector<int>{34, 54, 65, 77, 88}));

  EXPECT_EQ(Script().strings.at(101), "&About...");
  EXPECT_EQ(Script().resources.at("ICON"), std::set<int>{128});
  EXPECT_EQ(Script().resources.at("BITMAP"), (std::set<int>{134, 146}));
}

}  // namespace
}  // namespace korvath
