// The add-on list, removal and its undo.
#include "browser/ie_helpers.h"

#include <cstdlib>
#include <optional>

#include "browser/class_registry.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/capacity.h"
#include "core/class_id.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::browser {
namespace {

namespace T = core::item_type;

constexpr std::string_view kShellServiceObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr std::string_view kSharedTaskSchedulerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr std::string_view kRelatedTitle = "Related";
constexpr std::string_view kRelatedLinksFile = "shdoclc.dll";

// The saved copy of one removal: values Type and Key, subkey Registration (the BHO or extension
// key's tree, or a key holding the toolbar's value) and, when the class went too, Class.
constexpr std::string_view kSavedType = "Type";
constexpr std::string_view kSavedKey = "Key";
constexpr std::string_view kSavedRegistration = "Registration";
constexpr std::string_view kSavedClass = "Class";

std::string FileTitle(std::string_view path) {
  const std::string name = core::FileNamePart(path);
  return name.empty() ? std::string(path) : name;
}

// The product name of the file, else its file name, else what the class calls itself, else the
// class identifier: a row never has an empty name.
std::string TitleFor(std::string_view path, const std::optional<common::VersionInfo>& version,
                     std::string_view classText, std::string_view key) {
  if (version && !version->productName.empty()) return version->productName;
  if (!path.empty()) return FileTitle(path);
  if (!classText.empty()) return std::string(classText);
  return std::string(key);
}

void Append(std::string_view title, std::string_view path, std::string_view key,
            std::string_view text, int type) {
  if (!common::AddItem(title, path, key, text, type, 0)) return;
  // The key names the registration exactly as it stands, whatever the list's path rules do.
  common::LastItem().key = std::string(key);
}

std::optional<common::VersionInfo> VersionOf(std::string_view path) {
  if (path.empty()) return std::nullopt;
  return CachedVersionInfo(path);
}

void ListBrowserHelperObjects() {
  const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, kBrowserHelperObjectsKey,
                                               KEY_READ);
  if (!root) return;
  for (const std::string& name : win32::EnumSubkeyNames(root.get())) {
    const std::string server = ClassServer(name).value_or("");
    // Without a server there is nothing the browser could load.
    if (server.empty()) continue;
    // With a server the title comes from its file: the class's own text is not needed.
    const auto version = VersionOf(server);
    Append(TitleFor(server, version, {}, name), server, name,
           version ? version->productVersion : std::string(), T::kBrowserHelper);
  }
}

void ListToolbars() {
  const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ);
  if (!root) return;
  for (const win32::NamedValue& value : win32::EnumValues(root.get())) {
    // The key's default value names no toolbar.
    if (value.name.empty()) continue;
    const std::string server = ClassServer(value.name).value_or("");
    const auto version = VersionOf(server);
    Append(TitleFor(server, version, server.empty() ? ClassText(value.name) : std::string(),
                    value.name),
           server, value.name, version ? version->productVersion : std::string(), T::kToolbar);
  }
}

void ListExtensions() {
  const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, kExtensionsKey, KEY_READ);
  if (!root) return;
  for (const std::string& name : win32::EnumSubkeyNames(root.get())) {
    const KeyTexts texts(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + name);
    std::string title = texts.Get("ButtonText");
    if (core::FindNoCase(title, kRelatedLinksFile) != std::string::npos)
      title = kRelatedTitle;
    // A menu entry without a button, or neither, is still an add-on: it must not hide by
    // leaving its button text out.
    if (title.empty()) title = texts.Get("MenuText");
    if (title.empty()) title = name;
    std::string command = texts.Get("Exec");
    if (command.empty()) command = texts.Get("Script");
    const std::string program =
        command.empty() ? std::string() : common::CommandToProgramPath(command);
    const auto version = VersionOf(program);
    if (version && !version->productName.empty()) title = version->productName;
    std::string icon = texts.Get("HotIcon");
    if (icon.empty()) icon = command;
    Append(title, command, name, icon, T::kBrowserExtension);
  }
}

// ---- Registrations -----------------------------------------------------------------------------

std::string_view KindKey(int type) {
  switch (type) {
    case T::kBrowserHelper:
      return kBrowserHelperObjectsKey;
    case T::kToolbar:
      return kToolbarKey;
    case T::kBrowserExtension:
      return kExtensionsKey;
    default:
      return {};
  }
}

std::string SubkeyOf(std::string_view parent, std::string_view name) {
  return std::string(parent) + "\\" + std::string(name);
}

// Copies every value and subkey of `from` into `to`; false at the first thing not copied.
bool CopyTree(HKEY from, HKEY to) {
  for (const win32::NamedValue& value : win32::EnumValues(from))
    if (win32::SetRawValue(to, value.name, value.value) != ERROR_SUCCESS) return false;
  for (const std::string& name : win32::EnumSubkeyNames(from)) {
    const win32::UniqueKey source = win32::OpenKey(from, name, KEY_READ);
    const win32::UniqueKey target = win32::CreateKey(to, name, KEY_ALL_ACCESS);
    if (!source || !target || !CopyTree(source.get(), target.get())) return false;
  }
  return true;
}

bool CopyTreeAt(HKEY fromRoot, std::string_view fromPath, HKEY toRoot, std::string_view toPath) {
  const win32::UniqueKey source = win32::OpenKey(fromRoot, fromPath, KEY_READ);
  const win32::UniqueKey target = win32::CreateKey(toRoot, toPath, KEY_ALL_ACCESS);
  return source && target && CopyTree(source.get(), target.get());
}

// Every class another add-on or delay-loaded shell object names, but for the one being removed.
bool ClassUsedElsewhere(std::string_view key) {
  const auto names = [](std::string_view path, bool values) {
    std::vector<std::string> found;
    const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ);
    if (!root) return found;
    if (!values) return win32::EnumSubkeyNames(root.get());
    for (const win32::NamedValue& value : win32::EnumValues(root.get())) found.push_back(value.name);
    return found;
  };
  for (const auto& name : names(kBrowserHelperObjectsKey, false))
    if (core::SameClass(name, key)) return true;
  for (const auto& name : names(kToolbarKey, true))
    if (core::SameClass(name, key)) return true;
  for (const auto& name : names(kExtensionsKey, false))
    if (core::SameClass(name, key)) return true;
  for (const auto& name : names(kSharedTaskSchedulerKey, true))
    if (core::SameClass(name, key)) return true;
  if (const win32::UniqueKey objects =
          win32::OpenKey(HKEY_LOCAL_MACHINE, kShellServiceObjectsKey, KEY_READ)) {
    for (const win32::NamedValue& value : win32::EnumValues(objects.get())) {
      const auto data = win32::StringFromValue(value.value);
      if (data && core::SameClass(*data, key)) return true;
    }
  }
  return false;
}

// The next free numbered subkey of the saved removals.
std::string NewSavedEntry() {
  const win32::UniqueKey root =
      win32::CreateKey(HKEY_LOCAL_MACHINE, RemovedIEHelpersKey(), KEY_READ);
  unsigned long next = 1;
  if (root) {
    for (const std::string& name : win32::EnumSubkeyNames(root.get())) {
      const unsigned long number = std::strtoul(name.c_str(), nullptr, 10);
      if (number >= next) next = number + 1;
    }
  }
  return SubkeyOf(RemovedIEHelpersKey(), std::to_string(next));
}

// The saved entry for the add-on of `type` named exactly `key`; empty when none.
std::string FindSavedEntry(int type, std::string_view key) {
  const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, RemovedIEHelpersKey(), KEY_READ);
  if (!root) return {};
  for (const std::string& name : win32::EnumSubkeyNames(root.get())) {
    const std::string entry = SubkeyOf(RemovedIEHelpersKey(), name);
    if (ReadText(HKEY_LOCAL_MACHINE, entry, kSavedType).value_or("") == std::to_string(type) &&
        ReadText(HKEY_LOCAL_MACHINE, entry, kSavedKey) == std::string(key))
      return entry;
  }
  return {};
}

struct SavedEntry {
  std::string entry;  // empty: none
  std::string key;
};

// The saved entry whose registration was at `location`, as a history record holds it: a record
// read back cuts a long location, so a cut one names the single entry it begins.
SavedEntry FindSavedEntryAt(int type, std::string_view location) {
  const win32::UniqueKey root = win32::OpenKey(HKEY_LOCAL_MACHINE, RemovedIEHelpersKey(), KEY_READ);
  if (!root) return {};
  const bool cut = core::CharCount(location) >= core::kPathCapacity - 1;
  SavedEntry prefixMatch;
  int prefixMatches = 0;
  for (const std::string& name : win32::EnumSubkeyNames(root.get())) {
    const std::string entry = SubkeyOf(RemovedIEHelpersKey(), name);
    if (ReadText(HKEY_LOCAL_MACHINE, entry, kSavedType).value_or("") != std::to_string(type))
      continue;
    const auto key = ReadText(HKEY_LOCAL_MACHINE, entry, kSavedKey);
    if (!key) continue;
    const std::string saved = IEHelperLocation(type, *key);
    if (saved == location) return {entry, *key};
    if (cut && saved.compare(0, location.size(), location) == 0) {
      prefixMatch = {entry, *key};
      ++prefixMatches;
    }
  }
  return prefixMatches == 1 ? prefixMatch : SavedEntry{};
}

// Saves the registration of the item into `entry`; false when it is missing or cannot be saved.
bool SaveRegistration(const core::Item& item, const std::string& entry, DWORD& error) {
  const win32::UniqueKey saved = win32::CreateKey(HKEY_LOCAL_MACHINE, entry, KEY_ALL_ACCESS);
  if (!saved || !win32::SetStringValue(saved.get(), kSavedType, std::to_string(item.type)) ||
      !win32::SetStringValue(saved.get(), kSavedKey, item.key)) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  const std::string registration = SubkeyOf(entry, kSavedRegistration);
  if (item.type == T::kToolbar) {
    const win32::UniqueKey toolbars = win32::OpenKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ);
    const auto value = toolbars ? win32::QueryValue(toolbars.get(), item.key) : std::nullopt;
    if (!value) {
      error = ERROR_FILE_NOT_FOUND;
      return false;
    }
    const win32::UniqueKey target =
        win32::CreateKey(HKEY_LOCAL_MACHINE, registration, KEY_ALL_ACCESS);
    if (!target || win32::SetRawValue(target.get(), item.key, *value) != ERROR_SUCCESS) {
      error = ERROR_ACCESS_DENIED;
      return false;
    }
    return true;
  }
  const std::string source = SubkeyOf(KindKey(item.type), item.key);
  if (!common::StoreKeyExists(HKEY_LOCAL_MACHINE, source)) {
    error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (!CopyTreeAt(HKEY_LOCAL_MACHINE, source, HKEY_LOCAL_MACHINE, registration)) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  return true;
}

// Writes the saved registration back to its place.
bool WriteBackRegistration(int type, std::string_view key, const std::string& entry) {
  const std::string registration = SubkeyOf(entry, kSavedRegistration);
  if (type == T::kToolbar) {
    const win32::UniqueKey saved = win32::OpenKey(HKEY_LOCAL_MACHINE, registration, KEY_READ);
    const auto value = saved ? win32::QueryValue(saved.get(), key) : std::nullopt;
    const win32::UniqueKey toolbars =
        win32::CreateKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_ALL_ACCESS);
    return value && toolbars && win32::SetRawValue(toolbars.get(), key, *value) == ERROR_SUCCESS;
  }
  return CopyTreeAt(HKEY_LOCAL_MACHINE, registration, HKEY_LOCAL_MACHINE,
                    SubkeyOf(KindKey(type), key));
}

bool DeleteRegistration(const core::Item& item) {
  if (item.type != T::kToolbar)
    return common::DeleteStoreTree(HKEY_LOCAL_MACHINE, SubkeyOf(KindKey(item.type), item.key));
  const win32::UniqueKey toolbars = win32::OpenKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_SET_VALUE);
  return toolbars && win32::DeleteValue(toolbars.get(), item.key) == ERROR_SUCCESS;
}

// Saves and deletes the add-on's class when nothing else names it. A class that stays does no
// harm now that the registration naming it is gone, so failing here is no failed removal.
void RemoveClassIfAlone(const core::Item& item, const std::string& entry) {
  const std::string classPath = ClassKeyPath(item.key);
  if (!common::StoreKeyExists(HKEY_CLASSES_ROOT, classPath) || ClassUsedElsewhere(item.key))
    return;
  const std::string saved = SubkeyOf(entry, kSavedClass);
  if (!CopyTreeAt(HKEY_CLASSES_ROOT, classPath, HKEY_LOCAL_MACHINE, saved) ||
      !common::DeleteStoreTree(HKEY_CLASSES_ROOT, classPath)) {
    CopyTreeAt(HKEY_LOCAL_MACHINE, saved, HKEY_CLASSES_ROOT, classPath);
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, saved);
  }
}

std::string HistoryName(const core::Item& item) {
  return item.path.empty() ? core::EntryName(item) : FileTitle(item.path);
}

}  // namespace

std::size_t EnumIEHelpers() {
  common::ClearItems();
  ListBrowserHelperObjects();
  ListToolbars();
  ListExtensions();
  return common::ItemCount();
}

std::vector<std::string> RegisteredIEHelperIdentities() {
  std::vector<std::string> identities;
  if (const win32::UniqueKey bhos =
          win32::OpenKey(HKEY_LOCAL_MACHINE, kBrowserHelperObjectsKey, KEY_READ)) {
    for (const std::string& name : win32::EnumSubkeyNames(bhos.get()))
      identities.push_back(core::AddOnIdentity(T::kBrowserHelper, name));
  }
  if (const win32::UniqueKey toolbars = win32::OpenKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_READ)) {
    for (const std::string& name : win32::EnumValueNames(toolbars.get()))
      if (!name.empty()) identities.push_back(core::AddOnIdentity(T::kToolbar, name));
  }
  if (const win32::UniqueKey extensions =
          win32::OpenKey(HKEY_LOCAL_MACHINE, kExtensionsKey, KEY_READ)) {
    for (const std::string& name : win32::EnumSubkeyNames(extensions.get()))
      identities.push_back(core::AddOnIdentity(T::kBrowserExtension, name));
  }
  return identities;
}

std::string IEHelperKindLocation(int type) {
  const std::string_view kind = KindKey(type);
  return kind.empty() ? std::string() : "HKLM\\" + std::string(kind);
}

std::string IEHelperLocation(int type, std::string_view key) {
  const std::string kind = IEHelperKindLocation(type);
  return kind.empty() ? std::string() : SubkeyOf(kind, key);
}

std::string RemovedIEHelpersKey() { return common::ProductSubkey("Removed IE Helpers"); }

IEHelperRemoval RemoveIEHelper(const core::Item& item) {
  IEHelperRemoval result;
  if (KindKey(item.type).empty()) {
    result.error = ERROR_INVALID_PARAMETER;
    return result;
  }
  // A removal of the same add-on made earlier and never undone is replaced by this one.
  if (const std::string older = FindSavedEntry(item.type, item.key); !older.empty())
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, older);
  const std::string entry = NewSavedEntry();
  if (!SaveRegistration(item, entry, result.error)) {
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, entry);
    return result;
  }
  if (!DeleteRegistration(item)) {
    // Part of a tree may be gone: what was saved goes back, and nothing counts as done.
    WriteBackRegistration(item.type, item.key, entry);
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, entry);
    result.error = ERROR_ACCESS_DENIED;
    return result;
  }
  RemoveClassIfAlone(item, entry);
  result.removed = true;
  common::WriteHistory(core::history_event::kIEHelperRemove, item.type, HistoryName(item),
                       item.path, IEHelperLocation(item.type, item.key));
  return result;
}

bool RestoreIEHelper(int type, std::string_view location) {
  const SavedEntry saved = FindSavedEntryAt(type, location);
  if (saved.entry.empty()) return false;
  const std::string& key = saved.key;
  const std::string savedClass = SubkeyOf(saved.entry, kSavedClass);
  if (common::StoreKeyExists(HKEY_LOCAL_MACHINE, savedClass) &&
      !CopyTreeAt(HKEY_LOCAL_MACHINE, savedClass, HKEY_CLASSES_ROOT, ClassKeyPath(key)))
    return false;
  if (!WriteBackRegistration(type, key, saved.entry)) return false;
  common::DeleteStoreTree(HKEY_LOCAL_MACHINE, saved.entry);
  const std::string server = LookUpClass(key).serverPath;
  common::WriteHistory(core::history_event::kIEHelperRestore, type,
                       server.empty() ? key : FileTitle(server), server,
                       IEHelperLocation(type, key));
  return true;
}

}  // namespace obrivo::browser
