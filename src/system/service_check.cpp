// The services baseline and the Monitor's services check.
#include "system/service_check.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/first_detected.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "string_ids.h"
#include "system/service_actions.h"

namespace obrivo::system {
namespace {

constexpr std::string_view kMarker = "P";
constexpr std::string_view kLayoutValue = "/Layout";
constexpr std::string_view kLayout = "2";
constexpr std::string_view kStartLine = "Start=";
constexpr std::string_view kImageLine = "ImagePath=";
constexpr std::string_view kDllLine = "ServiceDll=";

std::string BaselineKey() { return common::ProductSubkey(kServicesBaselineName); }

std::string Upper(std::string_view text) { return core::ToUpper(text); }

// The lines of a REG_MULTI_SZ value, empty ones included, up to its double terminator.
std::vector<std::string> MultiStringLines(const win32::RegValue& value) {
  std::vector<std::string> lines;
  const std::size_t units = value.data.size() / sizeof(wchar_t);
  std::wstring text(units, L'\0');
  if (units) std::memcpy(text.data(), value.data.data(), units * sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(L'\0', at), text.size());
    lines.push_back(win32::Narrow(text.substr(at, end - at)));
    at = end + 1;
  }
  return lines;
}

std::optional<AcceptedService> ParseAccepted(const win32::RegValue& value) {
  if (value.type != REG_MULTI_SZ) return std::nullopt;
  const std::vector<std::string> lines = MultiStringLines(value);
  if (lines.empty()) return std::nullopt;
  AcceptedService a;
  a.type = core::LeadingNumber(lines[0]);
  if (a.type == 0) return std::nullopt;  // not accepted
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.rfind(kStartLine, 0) == 0 && line.size() > kStartLine.size())
      a.start = static_cast<DWORD>(core::LeadingNumber(line.substr(kStartLine.size())));
    else if (line.rfind(kImageLine, 0) == 0)
      a.imagePath = line.substr(kImageLine.size());
    else if (line.rfind(kDllLine, 0) == 0)
      a.serviceDll = line.substr(kDllLine.size());
  }
  return a;
}

bool WriteAccepted(HKEY key, const ServiceRecord& r, std::optional<DWORD> start) {
  std::string data = std::to_string(r.type);
  data += '\0';
  data += std::string(kStartLine) + (start ? std::to_string(*start) : std::string());
  data += '\0';
  data += std::string(kImageLine) + r.imagePath;
  data += '\0';
  data += std::string(kDllLine) + r.serviceDll;
  data += '\0';  // with the one SetStringValue adds, the double terminator
  return win32::SetStringValue(key, r.keyName, data, REG_MULTI_SZ);
}

bool Accept(const ServiceRecord& r, std::optional<DWORD> start) {
  const auto key = win32::CreateKey(HKEY_CURRENT_USER, BaselineKey(), KEY_SET_VALUE);
  return key && WriteAccepted(key.get(), r, start);
}

bool SameText(const std::string& a, const std::string& b) { return core::EqualsNoCase(a, b); }

bool IsEnabledStart(std::optional<DWORD> start) {
  return !start || *start < SERVICE_DISABLED;
}

enum class Finding { None, New, Raised, CommandChanged, StartMoved };

Finding Compare(const ServiceRecord& r, const std::map<std::string, AcceptedService>& baseline,
                const AcceptedService** accepted) {
  const auto found = baseline.find(Upper(r.keyName));
  if (found == baseline.end()) return Finding::New;
  *accepted = &found->second;
  const AcceptedService& a = found->second;
  if (!SameText(a.imagePath, r.imagePath) || !SameText(a.serviceDll, r.serviceDll))
    return Finding::CommandChanged;
  // Rejected services are kept as disabled: one that may start again is asked about again.
  if (a.start == std::optional<DWORD>(SERVICE_DISABLED) && IsEnabledStart(r.start))
    return Finding::Raised;
  if (a.start != r.start) return Finding::StartMoved;
  return Finding::None;
}

ServiceRef RefOf(const core::Item& item) {
  return ServiceRef{item.name, item.title, item.path, item.type};
}

void Report(const ServiceCheckHooks& hooks, int textId, const core::Item& item) {
  if (hooks.reportFailure)
    hooks.reportFailure(core::FormatText(common::LoadText(textId), item.title));
}

void Reject(const ServiceRecord& r, const core::Item& item, const ServiceCheckHooks& hooks) {
  const RejectResult result = RejectService(RefOf(item));
  if (result.stop == ServiceActionResult::Failed) Report(hooks, IDS_SERVICE_STOP_FAILED, item);
  if (result.disable == ServiceActionResult::Failed)
    Report(hooks, IDS_SERVICE_START_FAILED, item);
  // Held as disabled whatever came of it: while it can start, it is asked about again.
  Accept(r, SERVICE_DISABLED);
}

void AskNew(const ServiceRecord& r, const core::Item& item, const ServiceCheckHooks& hooks) {
  common::RecordFirstDetected(common::kDetectedServices, ServiceFile(r));
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  const int answer = hooks.askNewService ? hooks.askNewService(item) : core::kAlertYes;
  if (answer == core::kAlertYes)
    Accept(r, r.start);
  else if (answer == core::kAlertNo)
    Reject(r, item, hooks);
}

void AskChanged(const ServiceRecord& r, const AcceptedService& a, const core::Item& item,
                const ServiceCheckHooks& hooks) {
  ServiceRecord before = r;
  before.imagePath = a.imagePath;
  before.serviceDll = a.serviceDll;
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  const int answer = hooks.askChangedCommand
                         ? hooks.askChangedCommand(item, ServiceCommandText(before),
                                                   ServiceCommandText(r))
                         : core::kAlertYes;
  if (answer == core::kAlertYes) {
    Accept(r, r.start);
  } else if (answer == core::kAlertNo) {
    // The new command may be running already: it is stopped, and the old one starts next time.
    if (!RestoreServiceCommand(RefOf(item), a.imagePath, a.serviceDll))
      Report(hooks, IDS_SERVICE_RESTORE_FAILED, item);
    if (StopServiceRecorded(RefOf(item)) == ServiceActionResult::Failed)
      Report(hooks, IDS_SERVICE_STOP_FAILED, item);
  }
}

}  // namespace

std::optional<std::map<std::string, AcceptedService>> ReadServicesBaseline() {
  const auto key = win32::OpenKey(HKEY_CURRENT_USER, BaselineKey(), KEY_READ);
  if (!key) return std::nullopt;
  std::map<std::string, AcceptedService> baseline;
  bool marked = false, layout = false;
  for (const win32::NamedValue& v : win32::EnumValues(key.get())) {
    if (v.name.empty()) {
      marked = win32::StringFromValue(v.value).value_or("").rfind(kMarker, 0) == 0;
    } else if (v.name == kLayoutValue) {
      layout = win32::StringFromValue(v.value).value_or("") == kLayout;
    } else if (auto accepted = ParseAccepted(v.value)) {
      baseline[Upper(v.name)] = std::move(*accepted);
    }
  }
  if (!marked || !layout) return std::nullopt;
  return baseline;
}

void FollowAcceptedStart(std::string_view keyName, DWORD start) {
  const auto baseline = ReadServicesBaseline();
  if (!baseline) return;
  const auto found = baseline->find(Upper(keyName));
  if (found == baseline->end()) return;
  ServiceRecord r;
  r.keyName = std::string(keyName);
  r.type = found->second.type;
  r.imagePath = found->second.imagePath;
  r.serviceDll = found->second.serviceDll;
  Accept(r, start);
}

void SnapshotServices() {
  if (ReadServicesBaseline()) return;
  // A baseline of an earlier layout (by display name) cannot be compared: it is taken again.
  common::DeleteStoreTree(HKEY_CURRENT_USER, BaselineKey());
  const auto key = win32::CreateKey(HKEY_CURRENT_USER, BaselineKey(), KEY_SET_VALUE);
  if (!key) return;
  for (const ServiceRecord& r : ReadServices(false)) WriteAccepted(key.get(), r, r.start);
  // Marked last: an interrupted snapshot is taken again at the next start.
  win32::SetStringValue(key.get(), kLayoutValue, kLayout);
  win32::SetStringValue(key.get(), "", kMarker);
}

core::Item ServiceItem(const ServiceRecord& detailed) {
  core::Item item;
  item.title = core::TruncateChars(detailed.displayName, 128);
  item.name = detailed.keyName;
  item.path = detailed.path;
  item.key = StartTypeText(detailed.start);
  item.text = detailed.description;
  item.command = detailed.imagePath;
  item.type = detailed.type;
  return item;
}

void CheckServices(const ServiceCheckHooks& hooks) {
  std::optional<std::map<std::string, AcceptedService>> baseline = ReadServicesBaseline();
  if (!baseline) {
    // Deleted under the running programs: what is there now is what the user has.
    SnapshotServices();
    return;
  }
  const bool hideMicrosoft = common::ReadOption("HideMicrosoftServices", 1) > 0;
  for (const ServiceRecord& quick : ReadServices(false)) {
    const AcceptedService* accepted = nullptr;
    const Finding finding = Compare(quick, *baseline, &accepted);
    if (finding == Finding::None) continue;
    if (finding == Finding::StartMoved) {
      // Started or switched by its owner within what was accepted: the baseline follows.
      Accept(quick, quick.start);
      continue;
    }
    // Read again in full: the alert shows the service as it is at this moment.
    const std::optional<ServiceRecord> r = ReadService(quick.keyName, true);
    if (!r) continue;
    if (hideMicrosoft && IsMicrosoftFile(ServiceFile(*r))) {
      Accept(*r, r->start);
      continue;
    }
    const core::Item item = ServiceItem(*r);
    if (finding == Finding::CommandChanged)
      AskChanged(*r, *accepted, item, hooks);
    else
      AskNew(*r, item, hooks);
  }
}

}  // namespace obrivo::system
