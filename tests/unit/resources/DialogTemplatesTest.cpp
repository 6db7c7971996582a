// Reads korvath.rc and resource.h as the resource compiler would (for the
// statements they use) and holds each dialog to its ids, texts, styles, tab
// order and the rules of its layout. The ids are plain numbers here so that a
// wrong id in resource.h is caught; positions are the screenshots' business.
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

bool IsBox(const Control& control) { return control.kind == "GROUPBOX" || control.flags.count("BS_GROUPBOX"); }

// By more than one dialog unit: the Minimum and Maximum bands' two rows of
// borderless texts share one.
bool Overlap(const Control& a, const Control& b) {
  return a.x + 1 < b.x + b.width && b.x + 1 < a.x + a.width && a.y + 1 < b.y + b.height && b.y + 1 < a.y + a.height;
}

bool Within(const Control& inner, const Control& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

std::string Name(const Control& control) { return control.text + " (" + std::to_string(control.id) + ")"; }

// The layout's rules rather than its numbers, which the screenshots and the
// window's geometry checks prove: everything on the dialog, no two controls
// on top of each other, none across a group box's frame.
void ExpectTidyLayout(const DialogTemplate& dialog) {
  for (const Control& control : dialog.controls) {
    EXPECT_TRUE(control.x >= 0 && control.y >= 0 && control.width > 0 && control.height > 0 &&
                control.x + control.width <= dialog.width && control.y + control.height <= dialog.height)
        << Name(control) << " leaves the dialog";
    if (IsBox(control)) continue;
    for (const Control& other : dialog.controls) {
      if (&other == &control) continue;
      if (IsBox(other)) {
        EXPECT_TRUE(Within(control, other) || !Overlap(control, other)) << Name(control) << " crosses " << Name(other);
      } else if (&other < &control) {
        EXPECT_FALSE(Overlap(control, other)) << Name(control) << " overlaps " << Name(other);
      }
    }
  }
}

// One row of per-core cells: the same size at one height, evenly spaced.
void ExpectRow(const DialogTemplate& dialog, const std::vector<int>& ids) {
  std::vector<const Control*> cells;
  for (int id : ids) {
    cells.push_back(dialog.Find(id));
    ASSERT_NE(cells.back(), nullptr) << "no control " << id;
  }
  for (size_t i = 1; i < cells.size(); ++i) {
    EXPECT_EQ((std::vector<int>{cells[i]->y, cells[i]->width, cells[i]->height}),
              (std::vector<int>{cells[0]->y, cells[0]->width, cells[0]->height}))
        << ids[i];
    EXPECT_EQ(cells[i]->x - cells[i - 1]->x, cells[1]->x - cells[0]->x) << ids[i];
  }
}

// The ids are written here as plain numbers, so that a wrong id in resource.h
// is caught: the window code and its peers find the controls by them.
void ExpectIds(const DialogTemplate& dialog, std::set<int> expected) {
  std::multiset<int> ids;
  for (const Control& control : dialog.controls) {
    if (control.id != -1) ids.insert(control.id);
  }
  for (int id : ids) EXPECT_EQ(ids.count(id), 1u) << "duplicate id " << id;
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), expected);
}

void ExpectText(const DialogTemplate& dialog, int id, const std::string& text) {
  const Control* control = dialog.Find(id);
  ASSERT_NE(control, nullptr) << id;
  EXPECT_EQ(control->text, text) << id;
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

  const std::vector<std::vector<int>> bands = {
      {1001, 1002, 1003, 1004}, {1005, 1006, 1007, 1008}, {1019, 1022, 1024, 1026}, {1028, 1030, 1032, 1034},
      {1020, 1023, 1025, 1027}, {1029, 1031, 1033, 1035}, {1109, 1110, 1111, 1112}, {1045, 1050, 1058, 1082}};
  std::set<int> ids = {1169, 1043, 1155, 1159, 1161, 1157, 1158, 1164, 1165, 1166, 1167, 1168};
  for (const std::vector<int>& band : bands) ids.insert(band.begin(), band.end());
  ExpectIds(dialog, ids);
  EXPECT_EQ(dialog.controls.size(), ids.size());
  ExpectTidyLayout(dialog);
  for (const std::vector<int>& band : bands) ExpectRow(dialog, band);
  // The slots' columns line up from the temperatures down to the status.
  for (size_t band = 1; band + 1 < bands.size(); ++band)
    EXPECT_EQ(dialog.Find(bands[band][0])->x, dialog.Find(1001)->x) << bands[band][0];

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
  ExpectTidyLayout(dialog);
  const std::vector<std::vector<int>> slotRows = {
      {1068, 1069, 1070, 1071}, {1064, 1065, 1066, 1067}, {1091, 1092, 1093, 1094}, {1073, 1074, 1075, 1076},
      {1049, 1036, 1037, 1038}, {1, 2, 1088}};
  for (const std::vector<int>& row : slotRows) ExpectRow(dialog, row);
  EXPECT_EQ(dialog.Find(1063)->y, dialog.Find(1)->y);  // Defaults on the buttons' line
  EXPECT_EQ(dialog.Find(1271)->y, dialog.Find(1272)->y);
  EXPECT_GT(dialog.Find(1271)->y, dialog.Find(1)->y);  // below the buttons, moving nothing

  std::vector<int> leading = {1,    2,    1088, 1063, 1068, 1069, 1070, 1071, 1064, 1065, 1066,
                              1067, 1091, 1092, 1093, 1094, 1079, 1105, 1106, 1073, 1074, 1075,
                              1076, 1049, 1036, 1037, 1038, 1081, 1083, 1080, 1078, 1104, 1095};
  ASSERT_GE(dialog.controls.size(), leading.size());
  std::vector<int> order;
  for (size_t i = 0; i < leading.size(); ++i) order.push_back(dialog.controls[i].id);
  EXPECT_EQ(order, leading);
  std::set<int> ids(leading.begin(), leading.end());
  for (int id : {1086, 1101, 1100, 1107, 1009, 1011, 1113, 1114, 1115, 1116, 1119, 1012, 1117, 1118, 1142, 1143,
                 1170, 1013, 1271, 1272})
    ids.insert(id);
  ExpectIds(dialog, ids);
  std::set<int> tabStops;
  for (const Control& control : dialog.controls) {
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

  // The movement row, then ten cool-down rows: four cores' cells and the
  // row's label on the left.
  const std::vector<std::vector<int>> rows = {
      {1001, 1002, 1003, 1004},       {1005, 1006, 1007, 1008, 1144}, {1043, 1019, 1020, 1022, 1145},
      {1023, 1024, 1025, 1026, 1146}, {1027, 1028, 1029, 1030, 1147}, {1031, 1032, 1033, 1034, 1148},
      {1035, 1044, 1123, 1124, 1149}, {1125, 1126, 1127, 1128, 1150}, {1129, 1130, 1131, 1132, 1151},
      {1133, 1134, 1135, 1136, 1153}, {1137, 1138, 1139, 1140, 1154},
  };
  std::set<int> ids = {1141, 1122, 1120, 1121, 1300};
  for (const std::vector<int>& row : rows) {
    ids.insert(row.begin(), row.end());
    ExpectRow(dialog, std::vector<int>(row.begin(), row.begin() + 4));
    for (int core = 0; core < 4; ++core) EXPECT_EQ(dialog.Find(row[core])->x, dialog.Find(1001 + core)->x);
    if (row.size() == 5) {
      EXPECT_EQ(dialog.Find(row[4])->y, dialog.Find(row[0])->y) << row[4];
      EXPECT_LT(dialog.Find(row[4])->x, dialog.Find(row[0])->x) << row[4];
    }
  }
  ExpectIds(dialog, ids);
  ExpectTidyLayout(dialog);
  ExpectRow(dialog, {1120, 1121});
  ExpectText(dialog, 1122, "Download Prime 95");
  ExpectText(dialog, 1120, "Start");
  ExpectText(dialog, 1121, "Stop");
  std::vector<std::string> texts = dialog.Texts();
  for (const char* label : {"Sensor Movement Test", "CPU Cool Down Test", "Movement", "CPU Load",
                            "Average Distance to TJMax", "Core 0", "Core 1", "Core 2", "Core 3"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;

  // The line of every core's movement: borderless and read-only.
  const Control& line = *dialog.Find(1300);
  EXPECT_TRUE(line.flags.count("ES_READONLY") && !line.flags.count("WS_BORDER") && !line.flags.count("WS_TABSTOP"));
}

TEST(DialogTemplates, AboutBoxAndTheOtherResources) {
  const DialogTemplate& dialog = Script().dialogs.at(100);
  EXPECT_EQ((std::vector<int>{dialog.width, dialog.height}), (std::vector<int>{221, 197}));
  EXPECT_EQ(dialog.caption, "About");
  EXPECT_EQ(dialog.font, "8 Tahoma");
  ExpectIds(dialog, {1162, 1059, 1190, 1191});
  ExpectTidyLayout(dialog);
  ExpectText(dialog, 1162, "Intel Processor Spec Finder");
  EXPECT_TRUE(dialog.Find(1059)->flags.count("BS_DEFPUSHBUTTON"));
  EXPECT_TRUE(dialog.Find(1059)->flags.count("BS_BITMAP"));

  // The picture (bitmap 134), the version text CMake's version gives, the
  // date and the credits.
  std::vector<std::string> texts = dialog.Texts();
  std::string version = "Korvath  " KORVATH_VERSION_TEXT " RC" + std::to_string(KORVATH_RELEASE_CANDIDATE);
  for (const std::string& text : {std::string("134"), version, std::string("January 7, 2009")})
    EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;

  EXPECT_EQ(Script().strings.at(101), "&About...");
  EXPECT_EQ(Script().resources.at("ICON"), std::set<int>{128});
  EXPECT_EQ(Script().resources.at("BITMAP"), (std::set<int>{134, 146}));
}

}  // namespace
}  // namespace korvath
