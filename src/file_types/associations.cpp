#include "file_types/associations.h"

#include <array>
#include <map>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/trace_log.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "string_ids.h"

namespace obrivo::file_types {
namespace {

constexpr std::string_view kFileExtsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr std::string_view kMachineClasses = "Software\\Classes\\";
constexpr std::string_view kOpenCommand = "\\shell\\open\\command";

// Where each kind finds its link and its command, and where its baseline lives.
struct KindPlace {
  HKEY linkHive;
  std::string_view linkPrefix;  // + ".<ext>"
  std::string_view linkValue;   // "" for the default value
  HKEY commandHive;
  std::string_view commandPrefix;  // + link + "\shell\open\command"
  std::string_view baselineLinks;
  std::string_view baselineCommands;
};

const KindPlace& Place(int kind) {
  static const std::array<KindPlace, 4> places = {{
      {HKEY_LOCAL_MACHINE, kMachineClasses, "", HKEY_LOCAL_MACHINE, kMachineClasses, "Ext",
       "Class"},
      {HKEY_CURRENT_USER, kFileExtsKey, "Application", HKEY_CLASSES_ROOT, "Applications\\",
       "ExtApp", "Class"},
      {HKEY_CURRENT_USER, kFileExtsKey, "ProgID", HKEY_CLASSES_ROOT, "", "ExtProgID", "Class"},
      {HKEY_CLASSES_ROOT, "", "", HKEY_CLASSES_ROOT, "", "ExtRoot", "ClassRoot"},
  }};
  return places.at(static_cast<std::size_t>(kind < 1 || kind > 4 ? 0 : kind - 1));
}

bool ValidKind(int kind) { return kind >= kFirstListedKind && kind <= kRootKind; }

// A string value read whole, unexpanded, with its type; anything else reads as nothing.
std::optional<StoredCommand> ReadText(HKEY hive, std::string_view path, std::string_view name) {
  win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
  auto text = win32::StringFromValue(*value);
  if (!text) return std::nullopt;
  return StoredCommand{value->type, std::move(*text)};
}

std::string ReadLink(HKEY hive, std::string_view path, std::string_view name) {
  const auto text = ReadText(hive, path, name);
  return text ? text->Expanded() : std::string();
}

bool WriteText(HKEY hive, std::string_view path, std::string_view name, std::string_view text,
               DWORD type = REG_SZ) {
  LONG error = ERROR_SUCCESS;
  win32::UniqueKey key = win32::CreateKey(hive, path, KEY_SET_VALUE, &error);
  const bool written = key && win32::SetStringValue(key.get(), name, text, type);
  if (!written)
    common::ReportDiagnostic("REGISTRY", "cannot write " + std::string(path) + " " +
                                             std::string(name));
  return written;
}

std::string LinkPath(int kind, std::string_view dotted) {
  return std::string(Place(kind).linkPrefix) + std::string(dotted);
}

std::string CommandPath(int kind, std::string_view link) {
  return std::string(Place(kind).commandPrefix) + std::string(link) + std::string(kOpenCommand);
}

// A kind's link as the baseline holds it for each extension, by the extension's value name.
bool BaselineNamesLink(std::string_view link, std::string_view exceptExtension) {
  for (int kind = kFirstListedKind; kind <= kRootKind; ++kind) {
    win32::UniqueKey key =
        win32::OpenKey(HKEY_CURRENT_USER, BaselineKey(Place(kind).baselineLinks), KEY_READ);
    if (!key) continue;
    for (const win32::NamedValue& v : win32::EnumValues(key.get())) {
      if (v.name.empty() || core::EqualsNoCase(v.name, exceptExtension)) continue;
      const auto text = win32::StringFromValue(v.value);
      if (text && core::EqualsNoCase(*text, link)) return true;
    }
  }
  return false;
}

// Product names by program file, for one listing: many types open with one program.
using ProductNames = std::map<std::string, std::string>;

void AddRow(const std::string& name, int kind, const Association& a, ProductNames& products) {
  const std::string command = a.command.Expanded();
  std::string title = ReadLink(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + a.link, "");
  if (title.empty()) {
    const std::string program = common::CommandToProgramPath(command);
    auto known = products.find(program);
    if (known == products.end()) {
      const auto info = program.empty() ? std::nullopt : common::ReadVersionInfo(program);
      known = products.emplace(program, info ? info->productName : std::string()).first;
    }
    title = known->second;
  }
  if (!common::AddItem(title, command, a.link, core::DottedExtension(name),
                       core::item_type::kFileType, kind))
    return;
  core::Item& item = common::LastItem();
  item.key = a.link;         // the link is what the row is found by, never a description
  item.command = command;   // exactly, quotes and all
  item.name = core::DottedExtension(name);
}

}  // namespace

std::string StoredCommand::Expanded() const {
  return type == REG_EXPAND_SZ ? win32::ExpandEnvironment(text) : text;
}

std::string BaselineKey(std::string_view sub) { return common::ProductSubkey(sub); }

std::optional<Association> LookUpAssociation(std::string_view extension, int kind) {
  if (!ValidKind(kind)) return std::nullopt;
  const KindPlace& place = Place(kind);
  const std::string dotted = core::DottedExtension(extension);
  if (dotted.size() < 2) return std::nullopt;
  Association a;
  a.link = ReadLink(place.linkHive, LinkPath(kind, dotted), place.linkValue);
  if (a.link.empty()) return std::nullopt;
  const auto command = ReadText(place.commandHive, CommandPath(kind, a.link), "");
  if (!command || command->text.empty()) return std::nullopt;
  a.command = *command;
  return a;
}

std::string MonitoredList() {
  const auto list = ReadText(HKEY_CURRENT_USER, BaselineKey("Class"), "");
  return list ? list->text : std::string();
}

std::vector<std::string> MonitoredExtensionNames() {
  return core::MonitoredExtensions(MonitoredList());
}

std::size_t EnumFileTypes() {
  common::ClearItems();
  std::size_t rows = 0;
  ProductNames products;
  for (const std::string& name : MonitoredExtensionNames())
    for (int kind = kFirstListedKind; kind <= kLastListedKind; ++kind)
      if (const auto a = LookUpAssociation(name, kind)) {
        const std::size_t before = common::ItemCount();
        AddRow(name, kind, *a, products);
        rows += common::ItemCount() - before;
      }
  return rows;
}

bool SnapshotFileType(int kind, std::string_view extension) {
  const auto a = LookUpAssociation(extension, kind);
  if (!a) return false;
  const KindPlace& place = Place(kind);
  const bool link = WriteText(HKEY_CURRENT_USER, BaselineKey(place.baselineLinks),
                              core::DottedExtension(extension), a->link);
  const bool command = WriteText(HKEY_CURRENT_USER, BaselineKey(place.baselineCommands), a->link,
                                 a->command.text, a->command.type);
  return link && command;
}

std::optional<Association> BaselineAssociation(std::string_view extension, int kind) {
  if (!ValidKind(kind)) return std::nullopt;
  const KindPlace& place = Place(kind);
  Association a;
  a.link = ReadLink(HKEY_CURRENT_USER, BaselineKey(place.baselineLinks),
                    core::DottedExtension(extension));
  // An empty link would name Class's default value: the watched list, never a command.
  if (a.link.empty()) return std::nullopt;
  const auto command = ReadText(HKEY_CURRENT_USER, BaselineKey(place.baselineCommands), a.link);
  if (command) a.command = *command;
  return a;
}

void InitFileTypeBaseline() {
  const auto marker = ReadText(HKEY_CURRENT_USER, BaselineKey("Ext"), "");
  const bool marked = marker && !marker->text.empty();
  if (marked && core::CharCount(marker->text) != 11 && !MonitoredList().empty()) return;
  if (MonitoredList().empty()) {
    const std::string list = core::DefaultMonitoredList(common::LoadText(IDS_FILE_TYPE_LIST, 1024));
    WriteText(HKEY_CURRENT_USER, BaselineKey("Class"), "", list);
  }
  for (const std::string& name : MonitoredExtensionNames())
    for (int kind = kFirstListedKind; kind <= kLastListedKind; ++kind)
      SnapshotFileType(kind, name);
  WriteText(HKEY_CURRENT_USER, BaselineKey("Ext"), "", kBaselineMarker);
}

bool RestoreFileType(std::string_view extension, int kind) {
  const auto a = BaselineAssociation(extension, kind);
  if (!a) return false;
  const KindPlace& place = Place(kind);
  bool written = WriteText(place.linkHive, LinkPath(kind, core::DottedExtension(extension)),
                           place.linkValue, a->link);
  if (!a->command.text.empty())
    written = WriteText(place.commandHive, CommandPath(kind, a->link), "", a->command.text,
                        a->command.type) &&
              written;
  return written;
}

int AddMonitoredFileType(std::string_view typed) {
  const core::AddDecision d = core::DecideAdd(MonitoredList(), typed);
  if (d.refusal != 0) return d.refusal;
  for (int kind = kFirstListedKind; kind <= kLastListedKind; ++kind) SnapshotFileType(kind, d.name);
  WriteText(HKEY_CURRENT_USER, BaselineKey("Class"), "", d.list);
  return 0;
}

void RemoveMonitoredFileType(std::string_view extension) {
  std::string name(extension);
  if (!name.empty() && name.front() == '.') name.erase(0, 1);
  WriteText(HKEY_CURRENT_USER, BaselineKey("Class"), "", core::ListWithout(MonitoredList(), name));
  const std::string dotted = core::DottedExtension(name);
  // Every kind's accepted link goes: one left behind would be compared with, should the
  // extension be watched again while that kind does not resolve at the time of the Add.
  std::vector<std::pair<std::string, std::string_view>> links;
  for (int kind = kFirstListedKind; kind <= kRootKind; ++kind) {
    const KindPlace& place = Place(kind);
    const std::string link = ReadLink(HKEY_CURRENT_USER, BaselineKey(place.baselineLinks), dotted);
    common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(place.baselineLinks), dotted);
    if (!link.empty()) links.emplace_back(link, place.baselineCommands);
  }
  common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey("ExtType"), dotted);
  for (const auto& [link, commands] : links)
    if (!BaselineNamesLink(link, dotted))
      common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(commands), link);
}

core::IconLocation FileTypeIcon(std::string_view extension, std::string_view command) {
  const std::string cls = ReadLink(HKEY_LOCAL_MACHINE,
                                   std::string(kMachineClasses) + core::DottedExtension(extension),
                                   "");
  if (!cls.empty()) {
    const std::string icon =
        ReadLink(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + cls + "\\DefaultIcon", "");
    if (!icon.empty()) return core::ParseDefaultIcon(icon);
  }
  return {common::CommandToProgramPath(command), 0};
}

std::vector<std::string> FileTypeCommands() {
  std::vector<std::string> commands;
  for (std::size_t i = 0, n = EnumFileTypes(); i < n; ++i)
    commands.push_back(common::ItemPath(i));
  return commands;
}

}  // namespace obrivo::file_types
