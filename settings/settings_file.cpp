#include "settings/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <toml++/toml.h>

#include "assets/byte_reader.h"
#include "platform/file_writer.h"
#include "settings/key_names.h"
#include "settings/settings_fields.h"

namespace {

const char* TypeName(toml::node_type type) {
  switch (type) {
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "a list";
    case toml::node_type::string:
      return "text";
    case toml::node_type::integer:
      return "a whole number";
    case toml::node_type::floating_point:
      return "a number with a fraction";
    case toml::node_type::boolean:
      return "true or false";
    default:
      return "a date or time";
  }
}

const char* KeyField(int action) {
  for (const SettingField& field : SettingFields()) {
    if (field.kind == FieldKind::kKey && field.action == action) return field.key;
  }
  return "?";
}

// What a field holds, as the file and a player write it.
std::string Shown(const SettingField& field, const Settings& s) {
  switch (field.kind) {
    case FieldKind::kNumber:
      return std::to_string(s.*field.number);
    case FieldKind::kSwitch:
      return s.*field.flag ? "true" : "false";
    case FieldKind::kName:
      return "\"" + s.*field.text + "\"";
    case FieldKind::kKey:
      return "\"" + BindingName(s.keys[field.action]) + "\"";
  }
  return "";
}

class Reader {
 public:
  Reader(const std::string& path, Settings& settings, std::vector<std::string>& problems)
      : path_(path), settings_(settings), problems_(problems) {}

  void Problem(const toml::source_region& at, const std::string& what) {
    found_.push_back({at.begin.line, path_ + ":" + std::to_string(at.begin.line) + ": " + what});
  }

  // The problems in the order of their lines: the tables are read by name.
  void Report() {
    std::stable_sort(found_.begin(), found_.end(),
                     [](const Found& a, const Found& b) { return a.line < b.line; });
    for (const Found& found : found_) problems_.push_back(found.text);
  }

  void Sections(const toml::table& root) {
    for (auto&& [key, node] : root) {
      const std::string name(key.str());
      bool known = false;
      for (const char* section : kSettingSections) known = known || name == section;
      if (!known) {
        Problem(key.source(), "unknown key \"" + name + "\"; kept as it is");
      } else if (!node.is_table()) {
        Problem(node.source(), "[" + name + "] should be a table, not " + TypeName(node.type()) +
                                   "; its settings are at their defaults");
      } else {
        Section(name, *node.as_table());
      }
    }
  }

 private:
  void Section(const std::string& section, const toml::table& table) {
    for (auto&& [key, node] : table) {
      const std::string name(key.str());
      const SettingField* found = nullptr;
      for (const SettingField& field : SettingFields()) {
        if (section == field.section && name == field.key) found = &field;
      }
      if (!found) {
        Problem(key.source(), "unknown key \"" + section + "." + name + "\"; kept as it is");
      } else {
        Value(*found, node);
      }
    }
  }

  void Value(const SettingField& field, const toml::node& node) {
    const std::string name = FieldName(field);
    const std::string fallback = "; using " + Shown(field, Settings{});
    auto wrongType = [&](const char* wanted) {
      Problem(node.source(),
              name + " should be " + wanted + ", not " + TypeName(node.type()) + fallback);
    };
    switch (field.kind) {
      case FieldKind::kNumber: {
        if (!node.is_integer()) return wrongType("a whole number");
        const int64_t v = node.value<int64_t>().value_or(0);
        if (v < field.lo || v > field.hi) {
          Problem(node.source(), name + " is " + std::to_string(v) + ", out of range (" +
                                     std::to_string(field.lo) + " to " + std::to_string(field.hi) +
                                     ")" + fallback);
          return;
        }
        settings_.*field.number = static_cast<int>(v);
        return;
      }
      case FieldKind::kSwitch:
        if (!node.is_boolean()) return wrongType("true or false");
        settings_.*field.flag = node.value<bool>().value_or(false);
        return;
      case FieldKind::kName: {
        if (!node.is_string()) return wrongType("text");
        const std::string text = node.value<std::string>().value_or("");
        if (!IsPrintableName(text, static_cast<size_t>(field.hi))) {
          Problem(node.source(), name + " should be 1 to " + std::to_string(field.hi) +
                                     " printable ASCII characters" + fallback);
          return;
        }
        settings_.*field.text = text;
        return;
      }
      case FieldKind::kKey: {
        if (!node.is_string()) return wrongType("the name of a key or mouse button");
        const std::string text = node.value<std::string>().value_or("");
        uint16_t code = 0;
        if (!BindingFromName(text, code)) {
          Problem(node.source(), name + ": \"" + text +
                                     "\" is not a key that can be bound (Escape is the menu's)" +
                                     fallback);
          return;
        }
        keyLines_[field.action] = node.source();
        given_[field.action] = true;
        settings_.keys[field.action] = code;
        return;
      }
    }
  }

 public:
  // A key bound to two actions is a bad value of the file's: the binding the
  // file gave (the later one when it gave both) takes its default; should
  // the keys clash even so, every binding is at its default.
  void OneActionPerKey() {
    const Settings defaults;
    auto& keys = settings_.keys;
    for (int a = 0; a < kBoundActionCount; ++a) {
      for (int b = 0; b < a; ++b) {
        if (keys[a] != keys[b]) continue;
        const int bad = given_[a] ? a : b;
        Problem(keyLines_[bad], "controls." + std::string(KeyField(bad)) + ": " +
                                    BindingName(keys[bad]) + " is bound to two actions; using " +
                                    BindingName(defaults.keys[bad]));
        keys[bad] = defaults.keys[bad];
        given_[bad] = false;
      }
    }
    for (int a = 0; a < kBoundActionCount; ++a) {
      for (int b = 0; b < a; ++b) {
        if (keys[a] != keys[b]) continue;
        Problem(keyLines_[a], "controls: the keys still clash; every key is at its default");
        keys = defaults.keys;
        return;
      }
    }
  }

 private:
  struct Found {
    toml::source_index line;
    std::string text;
  };
  const std::string& path_;
  Settings& settings_;
  std::vector<std::string>& problems_;
  std::vector<Found> found_;
  toml::source_region keyLines_[kBoundActionCount] = {};
  bool given_[kBoundActionCount] = {};
};

void Put(toml::table& table, const SettingField& field, const Settings& s) {
  switch (field.kind) {
    case FieldKind::kNumber:
      table.insert_or_assign(field.key, static_cast<int64_t>(s.*field.number));
      break;
    case FieldKind::kSwitch:
      table.insert_or_assign(field.key, s.*field.flag);
      break;
    case FieldKind::kName:
      table.insert_or_assign(field.key, s.*field.text);
      break;
    case FieldKind::kKey:
      table.insert_or_assign(field.key, BindingName(s.keys[field.action]));
      break;
  }
}

std::string Why() { return std::strerror(errno); }

}  // namespace

std::string SettingsFile::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] != '\0') return std::string(config) + "/driftwing/settings.toml";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config/driftwing/settings.toml";
  }
  return "";
}

void SettingsFile::Load(Settings& settings, std::vector<std::string>& problems) {
  settings = Settings{};
  state_ = State::kClean;
  text_.clear();
  damaged_.clear();
  if (path_.empty()) return;
  struct stat info;
  if (::stat(path_.c_str(), &info) != 0) {
    if (errno == ENOENT) return;  // no file yet: the defaults
    problems.push_back(path_ + ":0: cannot be read (" + Why() + "); every setting is at its default");
    return;
  }
  if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > kMaxSettingsFileBytes) {
    problems.push_back(path_ + ":0: " + std::to_string(info.st_size) +
                       " bytes is too large for a settings file; every setting is at its default");
    state_ = State::kUnreadable;  // kept whole as the .bad copy
    return;
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path_.c_str(), bytes, error)) {
    problems.push_back(path_ + ":0: cannot be read (" + error + "); every setting is at its default");
    // Only a plain file can be kept aside before it is replaced; anything
    // else the writer refuses to replace.
    if (S_ISREG(info.st_mode)) state_ = State::kUnreadable;
    return;
  }
  if (bytes.empty()) {
    problems.push_back(path_ + ":0: the file is empty; every setting is at its default");
    return;
  }
  const std::string text(bytes.begin(), bytes.end());
  toml::table root;
  try {
    root = toml::parse(text, path_);
  } catch (const toml::parse_error& e) {
    problems.push_back(path_ + ":" + std::to_string(e.source().begin.line) + ": not valid TOML (" +
                       std::string(e.description()) + "); every setting is at its default");
    state_ = State::kDamaged;
    damaged_ = std::move(bytes);
    return;
  }
  text_ = text;
  const size_t before = problems.size();
  Reader reader(path_, settings, problems);
  reader.Sections(root);
  reader.OneActionPerKey();
  reader.Report();
  if (problems.size() != before) {
    state_ = State::kDamaged;
    damaged_ = std::move(bytes);
  }
}

bool SettingsFile::Save(const Settings& settings, std::string& error) {
  if (path_.empty()) {
    error = "the settings have no file: neither XDG_CONFIG_HOME nor HOME is set";
    return false;
  }
  toml::table root;
  if (!text_.empty()) {
    try {
      root = toml::parse(text_, path_);
    } catch (const toml::parse_error&) {
      root = toml::table{};
    }
  }
  for (const SettingField& field : SettingFields()) {
    toml::node* section = root.get(field.section);
    if (section == nullptr || !section->is_table()) {
      root.insert_or_assign(field.section, toml::table{});
      section = root.get(field.section);
    }
    Put(*section->as_table(), field, settings);
  }
  std::ostringstream out;
  out << "# Driftwing's settings, written by the game when a change is accepted in\n"
         "# its menu. Keys it does not know are kept.\n\n"
      << root << "\n";
  const std::string text = out.str();

  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  std::error_code made;
  if (!folder.empty()) std::filesystem::create_directories(folder, made);
  if (made) {
    error = "cannot write " + path_ + ": cannot make the folder " + folder.string() + " (" +
            made.message() + ")";
    return false;
  }
  // The damaged file is kept before anything replaces it; without that copy
  // it stays as it is.
  if (state_ == State::kDamaged &&
      !platform::WriteWholeFile(BadCopyPath(), damaged_, error)) {
    error = "the damaged settings file stays as it is, unreplaced: " + error;
    return false;
  }
  if (state_ == State::kUnreadable) {
    // Unread, so kept by a second name for the same file.
    const std::string link = BadCopyPath() + ".partial";
    ::unlink(link.c_str());
    if (::link(path_.c_str(), link.c_str()) != 0 && errno != ENOENT) {
      error = "the unreadable settings file " + path_ + " stays as it is, unreplaced: cannot keep "
              "it as " + BadCopyPath() + " (" + Why() + ")";
      return false;
    }
    if (::access(link.c_str(), F_OK) == 0 && ::rename(link.c_str(), BadCopyPath().c_str()) != 0) {
      error = "the unreadable settings file " + path_ + " stays as it is, unreplaced: cannot keep "
              "it as " + BadCopyPath() + " (" + Why() + ")";
      ::unlink(link.c_str());
      return false;
    }
  }
  if (!platform::WriteWholeFile(path_, std::vector<uint8_t>(text.begin(), text.end()), error)) {
    return false;
  }
  state_ = State::kClean;
  damaged_.clear();
  text_ = text;
  return true;
}
