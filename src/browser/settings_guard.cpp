// The settings guard's checks and the write-back of its machine-wide baselines.
#include "browser/settings_guard.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/registry.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "string_ids.h"

namespace obrivo::browser {
namespace {

using common::kProductKey;

// A REG_DWORD's value. A value of another type or size reads as -1, which no check accepts and
// no write-back writes; a missing one as nothing.
std::optional<std::int64_t> ReadDword(HKEY hive, std::string_view key, std::string_view name) {
  auto opened = win32::OpenKey(hive, key, KEY_QUERY_VALUE);
  if (!opened) return std::nullopt;
  const auto value = win32::QueryValue(opened.get(), name);
  if (!value) return std::nullopt;
  if (value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) return -1;
  DWORD number = 0;
  memcpy(&number, value->data.data(), sizeof number);
  return static_cast<std::int64_t>(number);
}

// A string value whole, whatever its length. A value of another type reads as nothing.
std::optional<std::string> ReadText(HKEY hive, std::string_view key, std::string_view name) {
  auto opened = win32::OpenKey(hive, key, KEY_QUERY_VALUE);
  if (!opened) return std::nullopt;
  const auto value = win32::QueryValue(opened.get(), name);
  if (!value) return std::nullopt;
  return win32::StringFromValue(*value);
}

bool ValueExists(HKEY hive, std::string_view key, std::string_view name) {
  auto opened = win32::OpenKey(hive, key, KEY_QUERY_VALUE);
  return opened && win32::QueryValue(opened.get(), name).has_value();
}

bool WriteDword(HKEY hive, std::string_view key, std::string_view name, std::int64_t value) {
  auto created = win32::CreateKey(hive, key, KEY_SET_VALUE);
  return created && win32::SetDwordValue(created.get(), name, static_cast<DWORD>(value));
}

bool WriteText(HKEY hive, std::string_view key, std::string_view name, std::string_view text) {
  auto created = win32::CreateKey(hive, key, KEY_SET_VALUE);
  return created && win32::SetStringValue(created.get(), name, text);
}

// A recorded value of 0xFFFFFFFF stands for a value the system did not have.
std::optional<std::int64_t> RecordedUac(std::string_view name) {
  auto value = ReadDword(HKEY_CURRENT_USER, kProductKey, name);
  if (value == 0xFFFFFFFFLL) return std::nullopt;
  return value;
}

core::UacValues UacFrom(std::optional<std::int64_t> (*read)(std::string_view)) {
  core::UacValues v;
  v.consentPromptBehaviorAdmin = read(core::kUacNames[0]);
  v.enableLua = read(core::kUacNames[1]);
  v.promptOnSecureDesktop = read(core::kUacNames[2]);
  return v;
}

void RecordUac(const core::UacValues& live) {
  const std::optional<std::int64_t> values[] = {live.consentPromptBehaviorAdmin, live.enableLua,
                                                live.promptOnSecureDesktop};
  for (std::size_t i = 0; i < std::size(values); ++i)
    WriteDword(HKEY_CURRENT_USER, kProductKey, core::kUacNames[i],
               values[i].value_or(0xFFFFFFFFLL));
}

std::string AutoUpdateText(std::int64_t value) {
  std::string text = common::LoadText(core::AUOptionTextId(value));
  // A value no setting has: the number says what is there.
  if (value != 0 && !core::IsRestorableAUOption(value)) text += " (" + std::to_string(value) + ")";
  return text;
}

std::string UacText(const core::UacValues& values) {
  return common::LoadText(core::UacLevelTextId(values)) + "\n(" + core::UacValuesText(values) +
         ")";
}

void VerifyUac(const SettingsGuardHooks& hooks) {
  const core::UacValues baseline = UacBaseline();
  if (!baseline.consentPromptBehaviorAdmin && !baseline.enableLua &&
      !baseline.promptOnSecureDesktop)
    return;  // never recorded: a system without User Account Control
  const core::UacValues live = LiveUacValues();
  if (live == baseline) return;
  if (!core::UacProtectionLowered(baseline, live)) {
    // More protection (or a value gone) is nothing to ask about; it is what the next lowering
    // is measured against.
    RecordUac(live);
    return;
  }
  MachineAlert alert{MachineSetting::UserAccountControl, 1073, 1078, false, UacText(baseline),
                     UacText(live)};
  if (hooks.restoreMachine(alert))
    hooks.writeBack(alert.setting);
  else
    RecordUac(live);
}

}  // namespace

core::UacValues LiveUacValues() {
  return UacFrom([](std::string_view name) {
    return ReadDword(HKEY_LOCAL_MACHINE, core::kUacPolicyKey, name);
  });
}

core::UacValues UacBaseline() { return UacFrom(RecordedUac); }

int VerifyHomePages(const SettingsGuardHooks& hooks) {
  int differed = 0;
  for (const core::GuardedPage& page : core::kGuardedPages) {
    const std::string live = ReadText(HKEY_CURRENT_USER, page.key, page.value).value_or("");
    const std::optional<std::string> baseline =
        ReadText(HKEY_CURRENT_USER, kProductKey, page.baseline);
    if (!baseline) {
      // The first look (or a baseline that is no text): the page as it is now is accepted.
      WriteText(HKEY_CURRENT_USER, kProductKey, page.baseline, live);
      continue;
    }
    if (core::SamePage(live, *baseline)) continue;
    ++differed;
    if (hooks.showAlertIcon) hooks.showAlertIcon();
    const bool keep = hooks.automaticPageAnswer == 0 ? hooks.keepPage(page, live, *baseline)
                                                     : hooks.automaticPageAnswer == core::kAlertYes;
    if (keep) {
      WriteText(HKEY_CURRENT_USER, kProductKey, page.baseline, core::WithoutTrailingSlash(live));
    } else if (!WriteText(HKEY_CURRENT_USER, page.key, page.value,
                          core::WithoutTrailingSlash(*baseline)) &&
               hooks.pageRestoreFailed) {
      hooks.pageRestoreFailed(page, *baseline);
    }
  }
  return differed;
}

int VerifySystemSettings(const SettingsGuardHooks& hooks) {
  const std::int64_t baseline =
      ReadDword(HKEY_CURRENT_USER, kProductKey, core::kAutoUpdateValue).value_or(0);
  // A live value of another type counts as missing.
  const auto liveUpdate = [] {
    const std::int64_t v =
        ReadDword(HKEY_LOCAL_MACHINE, core::kAutoUpdateKey, core::kAutoUpdateValue).value_or(0);
    return v < 0 ? 0 : v;
  };
  if (!core::IsRestorableAUOption(baseline)) {
    const std::int64_t live = liveUpdate();
    if (live != 0) WriteDword(HKEY_CURRENT_USER, kProductKey, core::kAutoUpdateValue, live);
    VerifyUac(hooks);
    return 1;
  }
  if (const std::int64_t live = liveUpdate(); live != baseline) {
    MachineAlert alert{MachineSetting::AutoUpdate, 1050, 1055, false, AutoUpdateText(baseline),
                       AutoUpdateText(live)};
    if (hooks.restoreMachine(alert))
      hooks.writeBack(alert.setting);
    else
      WriteDword(HKEY_CURRENT_USER, kProductKey, core::kAutoUpdateValue, live);
  }

  const std::string prefix = ReadText(HKEY_CURRENT_USER, kProductKey, core::kPrefixBaseline)
                                 .value_or(std::string(core::kDefaultPrefix));
  const std::string livePrefix =
      ReadText(HKEY_LOCAL_MACHINE, core::kUrlPrefixesKey, core::kUrlPrefixValue).value_or("");
  if (!core::EqualsAsciiNoCase(prefix, livePrefix)) {
    MachineAlert alert{MachineSetting::UrlPrefix, 1060, 1065, true, prefix, livePrefix};
    if (hooks.restoreMachine(alert))
      hooks.writeBack(alert.setting);
    else
      WriteText(HKEY_CURRENT_USER, kProductKey, core::kPrefixBaseline, livePrefix);
  }
  VerifyUac(hooks);
  return 0;
}

WriteBack WriteBaselineBack(MachineSetting setting) {
  switch (setting) {
    case MachineSetting::AutoUpdate: {
      const auto value = ReadDword(HKEY_CURRENT_USER, kProductKey, core::kAutoUpdateValue);
      if (!value || !core::IsRestorableAUOption(*value)) return WriteBack::Refused;
      return WriteDword(HKEY_LOCAL_MACHINE, core::kAutoUpdateKey, core::kAutoUpdateValue, *value)
                 ? WriteBack::Written
                 : WriteBack::Failed;
    }
    case MachineSetting::UrlPrefix: {
      // Absent, the prefix every system starts with; present, it must be text.
      std::optional<std::string> prefix =
          ReadText(HKEY_CURRENT_USER, kProductKey, core::kPrefixBaseline);
      if (!prefix && !ValueExists(HKEY_CURRENT_USER, kProductKey, core::kPrefixBaseline))
        prefix = std::string(core::kDefaultPrefix);
      if (!prefix || !core::IsPlainSchemePrefix(*prefix)) return WriteBack::Refused;
      const bool www =
          WriteText(HKEY_LOCAL_MACHINE, core::kUrlPrefixesKey, core::kUrlPrefixValue, *prefix);
      const bool fallback = WriteText(HKEY_LOCAL_MACHINE, core::kDefaultPrefixKey, "", *prefix);
      return www && fallback ? WriteBack::Written : WriteBack::Failed;
    }
    case MachineSetting::UserAccountControl: {
      const core::UacValues values = UacBaseline();
      if (!core::IsRestorableUac(values)) return WriteBack::Refused;
      const std::optional<std::int64_t> ordered[] = {values.consentPromptBehaviorAdmin,
                                                     values.enableLua,
                                                     values.promptOnSecureDesktop};
      bool written = true;
      for (std::size_t i = 0; i < std::size(ordered); ++i)
        if (ordered[i])
          written = WriteDword(HKEY_LOCAL_MACHINE, core::kUacPolicyKey, core::kUacNames[i],
                               *ordered[i]) &&
                    written;
      return written ? WriteBack::Written : WriteBack::Failed;
    }
  }
  return WriteBack::Refused;
}

int MachineSettingNameId(MachineSetting setting) {
  switch (setting) {
    case MachineSetting::AutoUpdate:
      return 1050;
    case MachineSetting::UrlPrefix:
      return 1060;
    case MachineSetting::UserAccountControl:
      return 1073;
  }
  return 1050;
}

std::string WriteBackMessage(MachineSetting setting, WriteBack result) {
  if (result == WriteBack::Written) return {};
  return core::FormatText(common::LoadText(result == WriteBack::Refused ? IDS_GUARD_WRITE_REFUSED
                                                                        : IDS_GUARD_WRITE_FAILED),
                          common::LoadText(MachineSettingNameId(setting)));
}

int DetectDefaultBrowser() {
  std::string program = core::BrowserProgramFromCommand(
      ReadText(HKEY_LOCAL_MACHINE, core::kHttpCommandKey, "").value_or(""));
  if (program.empty())
    program = core::BrowserProgramFromAppPath(
        ReadText(HKEY_LOCAL_MACHINE, core::kBrowserAppPathKey, "Path").value_or(""));
  return core::ClassifyBrowser(program);
}

}  // namespace obrivo::browser
