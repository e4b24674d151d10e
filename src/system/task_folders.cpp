// The Task Scheduler 2.0 folder tree (ITaskService): the tasks that programs register today,
// which the version 1 interfaces do not see.
#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "system/task_sources.h"

namespace obrivo::system::detail {

GUID& TaskServiceClass() {
  static GUID id = {
      0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
  return id;
}

namespace {

using win32::ComPtr;

constexpr GUID kIidTaskService = {
    0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};
constexpr GUID kIidExecAction = {
    0x4c3d624d, 0xfd6b, 0x49a3, {0xb9, 0xb7, 0x09, 0xcb, 0x3c, 0xd3, 0xf0, 0x47}};

// A BSTR that frees itself.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view text) {
    const std::wstring wide = win32::Wide(text);
    value_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* put() {
    ::SysFreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  // Counted: a name may hold any character the scheduler lets through.
  std::string Text() const {
    return value_ ? win32::NarrowBuffer(value_, ::SysStringLen(value_)) : std::string();
  }

 private:
  BSTR value_ = nullptr;
};

VARIANT IndexVariant(LONG index) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = index;
  return v;
}

HRESULT ConnectService(ComPtr<ITaskService>& service) {
  HRESULT hr = ::CoCreateInstance(TaskServiceClass(), nullptr, CLSCTX_INPROC_SERVER,
                                  kIidTaskService, service.put_void());
  if (FAILED(hr)) return hr;
  VARIANT none;
  ::VariantInit(&none);
  return service->Connect(none, none, none, none);
}

// A run time the scheduler could not give (Wine 8 has no get_NextRunTime) is unknown, and shown
// as nothing rather than as "Never".
std::string RunTimeTextOf(HRESULT hr, DATE date) {
  if (FAILED(hr)) return {};
  SYSTEMTIME time{};
  // A zero date is the scheduler's "no time"; the conversion would make it 30 December 1899.
  if (date == 0 || !::VariantTimeToSystemTime(date, &time)) time = SYSTEMTIME{};
  return RunTimeText(time);
}

// The program of the task's first action that starts one; empty when none does, or when the
// actions cannot be read (Wine 8 keeps no actions, and its collection answers E_NOTIMPL).
std::string ApplicationOf(IRegisteredTask* task) {
  ComPtr<ITaskDefinition> definition;
  if (FAILED(task->get_Definition(definition.put())) || !definition) return {};
  ComPtr<IActionCollection> actions;
  if (FAILED(definition->get_Actions(actions.put())) || !actions) return {};
  LONG count = 0;
  if (FAILED(actions->get_Count(&count))) return {};
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<IAction> action;
    if (FAILED(actions->get_Item(i, action.put())) || !action) continue;
    ComPtr<IExecAction> exec;
    if (FAILED(action->QueryInterface(kIidExecAction, exec.put_void())) || !exec) continue;
    Bstr path;
    if (SUCCEEDED(exec->get_Path(path.put()))) return path.Text();
  }
  return {};
}

// The tasks registered in `folder` (not below it). Through its task collection; where the
// collection lacks the calls (Wine 8 answers E_NOTIMPL to get_Count, get_Item and
// get__NewEnum), by the names of the files in the folder's part of the scheduler's store
// (System32\Tasks), each taken only when the folder's own GetTask knows it. The collection's
// error is returned when that fallback finds nothing to read either.
HRESULT FolderTasks(ITaskFolder* folder, std::vector<ComPtr<IRegisteredTask>>& tasks) {
  ComPtr<IRegisteredTaskCollection> registered;
  HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN, registered.put());
  if (FAILED(hr)) return hr;
  if (!registered) return E_POINTER;
  LONG count = 0;
  hr = registered->get_Count(&count);
  if (SUCCEEDED(hr)) {
    HRESULT first = S_OK;
    for (LONG i = 1; i <= count; ++i) {
      ComPtr<IRegisteredTask> task;
      const HRESULT item = registered->get_Item(IndexVariant(i), task.put());
      if (SUCCEEDED(item) && task)
        tasks.push_back(std::move(task));
      else if (SUCCEEDED(first))
        first = FAILED(item) ? item : E_POINTER;
    }
    return first;
  }
  if (hr != E_NOTIMPL) return hr;

  Bstr path;
  if (FAILED(folder->get_Path(path.put()))) return hr;
  const std::string folderPath = path.Text();
  std::string store = win32::SystemDirectory() + "\\Tasks";
  if (folderPath != "\\") store += folderPath;
  WIN32_FIND_DATAW found{};
  const win32::UniqueFind find(::FindFirstFileW(win32::Wide(store + "\\*").c_str(), &found));
  if (!find) return hr;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ComPtr<IRegisteredTask> task;
    const std::wstring name(found.cFileName);
    if (SUCCEEDED(folder->GetTask(Bstr(win32::Narrow(name)).get(), task.put())) && task)
      tasks.push_back(std::move(task));
  } while (::FindNextFileW(find.get(), &found));
  return S_OK;
}

// Appends the tasks of `folder` and of every folder below it; the first error met.
HRESULT ListFolder(ITaskFolder* folder, std::vector<ScheduledTask>& tasks) {
  HRESULT first = S_OK;
  const auto note = [&first](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  };
  std::vector<ComPtr<IRegisteredTask>> registered;
  note(FolderTasks(folder, registered));
  for (const ComPtr<IRegisteredTask>& task : registered) {
    ScheduledTask item;
    Bstr path;
    if (FAILED(task->get_Path(path.put())) || path.Text().empty()) continue;
    item.name = path.Text();
    item.application = ApplicationOf(task.get());
    DATE date = 0;
    HRESULT hr = task->get_NextRunTime(&date);
    item.nextRun = RunTimeTextOf(hr, date);
    date = 0;
    hr = task->get_LastRunTime(&date);
    item.lastRun = RunTimeTextOf(hr, date);
    tasks.push_back(std::move(item));
  }

  ComPtr<ITaskFolderCollection> folders;
  HRESULT hr = folder->GetFolders(0, folders.put());
  note(hr);
  LONG count = 0;
  if (SUCCEEDED(hr) && folders) note(folders->get_Count(&count));
  for (LONG i = 1; i <= count; ++i) {
    ComPtr<ITaskFolder> child;
    hr = folders->get_Item(IndexVariant(i), child.put());
    note(hr);
    if (SUCCEEDED(hr) && child) note(ListFolder(child.get(), tasks));
  }
  return first;
}

// "\A\B\Name" is the task "Name" of the folder "\A\B"; "\Name" one of the root.
std::pair<std::string, std::string> SplitTaskPath(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {"\\", std::string(path)};
  return {slash == 0 ? std::string("\\") : std::string(path.substr(0, slash)),
          std::string(path.substr(slash + 1))};
}

// A registered task with the service and folder it was reached through, which it needs alive.
struct OpenedTask {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> folder;
  ComPtr<IRegisteredTask> task;
};

// Connects to the scheduler and opens the task at `path`. The caller holds a ComScope that
// outlives `opened`.
HRESULT OpenTaskAt(std::string_view path, OpenedTask& opened) {
  HRESULT hr = ConnectService(opened.service);
  if (FAILED(hr)) return hr;
  const auto [folderPath, name] = SplitTaskPath(path);
  hr = opened.service->GetFolder(Bstr(folderPath).get(), opened.folder.put());
  if (FAILED(hr)) return hr;
  if (!opened.folder) return E_POINTER;
  hr = opened.folder->GetTask(Bstr(name).get(), opened.task.put());
  if (SUCCEEDED(hr) && !opened.task) return E_POINTER;
  return hr;
}

}  // namespace

HRESULT ListFolderTasks(std::vector<ScheduledTask>& tasks) {
  win32::ComScope com;
  ComPtr<ITaskService> service;
  HRESULT hr = ConnectService(service);
  if (FAILED(hr)) return hr;
  ComPtr<ITaskFolder> root;
  hr = service->GetFolder(Bstr("\\").get(), root.put());
  if (FAILED(hr)) return hr;
  if (!root) return E_POINTER;
  return ListFolder(root.get(), tasks);
}

HRESULT DeleteFolderTask(std::string_view path) {
  win32::ComScope com;
  OpenedTask opened;
  // The task is looked up first: a deletion of a name that is not there is not a success.
  const HRESULT hr = OpenTaskAt(path, opened);
  if (FAILED(hr)) return hr;
  return opened.folder->DeleteTask(Bstr(SplitTaskPath(path).second).get(), 0);
}

std::optional<TaskDetails> FolderTaskDetails(std::string_view path) {
  win32::ComScope com;
  OpenedTask opened;
  if (FAILED(OpenTaskAt(path, opened))) return std::nullopt;
  IRegisteredTask* task = opened.task.get();
  TaskDetails details;
  TASK_STATE state = TASK_STATE_UNKNOWN;
  if (SUCCEEDED(task->get_State(&state))) {
    if (state == TASK_STATE_RUNNING) details.state = TaskState::Running;
    if (state == TASK_STATE_DISABLED) details.state = TaskState::NotScheduled;
  }
  ComPtr<ITaskDefinition> definition;
  ComPtr<IRegistrationInfo> info;
  Bstr description;
  if (SUCCEEDED(task->get_Definition(definition.put())) && definition &&
      SUCCEEDED(definition->get_RegistrationInfo(info.put())) && info &&
      SUCCEEDED(info->get_Description(description.put())))
    details.comment = description.Text();
  DATE date = 0;
  const HRESULT hr = task->get_NextRunTime(&date);
  details.nextRun = RunTimeTextOf(hr, date);
  return details;
}

std::optional<std::wstring> FolderTaskXml(std::string_view path) {
  win32::ComScope com;
  OpenedTask opened;
  if (FAILED(OpenTaskAt(path, opened))) return std::nullopt;
  IRegisteredTask* task = opened.task.get();
  Bstr xml;
  if (FAILED(task->get_Xml(xml.put())) || !xml.get()) return std::nullopt;
  return std::wstring(xml.get(), ::SysStringLen(xml.get()));
}

HRESULT RegisterFolderTask(std::string_view path, const std::wstring& xml) {
  win32::ComScope com;
  ComPtr<ITaskService> service;
  HRESULT hr = ConnectService(service);
  if (FAILED(hr)) return hr;
  const auto [folderPath, name] = SplitTaskPath(path);
  ComPtr<ITaskFolder> folder;
  hr = service->GetFolder(Bstr("\\").get(), folder.put());
  if (FAILED(hr)) return hr;
  // Each folder on the way that is gone (it may have been emptied and deleted) is made again.
  std::string walked;
  for (std::size_t start = 1; folderPath.size() > 1 && start <= folderPath.size();) {
    const std::size_t end = std::min(folderPath.find('\\', start), folderPath.size());
    const std::string part = folderPath.substr(start, end - start);
    walked += "\\" + part;
    ComPtr<ITaskFolder> next;
    if (FAILED(service->GetFolder(Bstr(walked).get(), next.put())) || !next) {
      VARIANT none;
      ::VariantInit(&none);
      hr = folder->CreateFolder(Bstr(part).get(), none, next.put());
      if (FAILED(hr)) return hr;
    }
    folder = std::move(next);
    start = end + 1;
  }
  ComPtr<IRegisteredTask> existing;
  if (SUCCEEDED(folder->GetTask(Bstr(name).get(), existing.put())) && existing)
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  VARIANT none;
  ::VariantInit(&none);
  const std::wstring& text = xml;
  BSTR definition = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  ComPtr<IRegisteredTask> registered;
  hr = folder->RegisterTask(Bstr(name).get(), definition, TASK_CREATE, none, none,
                            TASK_LOGON_NONE, none, registered.put());
  ::SysFreeString(definition);
  return hr;
}

}  // namespace obrivo::system::detail
