// Tasks the tests register with the real Task Scheduler and remove again: version 1 work items
// (NewWorkItem and IPersistFile::Save) and raw .job files the scheduler cannot read.
#pragma once

#include <windows.h>
#include <initguid.h>
#include <mstask.h>
#include <oleauto.h>
#include <taskschd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::test {

// The folder the scheduler keeps its work items in.
inline std::string WorkItemFolder() { return win32::WindowsDirectory() + "\\Tasks"; }

struct WorkItemFields {
  std::wstring name;          // without .job, as NewWorkItem takes it
  std::wstring application;   // none set when empty
  std::wstring comment;
  SYSTEMTIME runOnce{};       // a one-time trigger when wYear is set
  bool disabled = false;
};

// One work item, saved on construction and deleted on destruction.
class FixtureWorkItem {
 public:
  explicit FixtureWorkItem(const WorkItemFields& fields) : name_(fields.name) {
    win32::ComScope com;
    const auto failed = [this](const char* step, HRESULT hr) {
      if (SUCCEEDED(hr)) return false;
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
      error_ = std::string(step) + " failed: " + code;
      return true;
    };
    win32::ComPtr<ITaskScheduler> scheduler;
    if (failed("CoCreateInstance",
               ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskScheduler, scheduler.put_void())))
      return;
    win32::ComPtr<ITask> task;
    if (failed("NewWorkItem", scheduler->NewWorkItem(fields.name.c_str(), CLSID_CTask, IID_ITask,
                                                     reinterpret_cast<IUnknown**>(task.put()))))
      return;
    if (!fields.application.empty() &&
        failed("SetApplicationName", task->SetApplicationName(fields.application.c_str())))
      return;
    if (!fields.comment.empty() && failed("SetComment", task->SetComment(fields.comment.c_str())))
      return;
    if (fields.disabled && failed("SetFlags", task->SetFlags(TASK_FLAG_DISABLED))) return;
    if (fields.runOnce.wYear != 0) {
      WORD index = 0;
      win32::ComPtr<ITaskTrigger> trigger;
      if (failed("CreateTrigger", task->CreateTrigger(&index, trigger.put()))) return;
      TASK_TRIGGER t{};
      t.cbTriggerSize = sizeof t;
      t.wBeginYear = fields.runOnce.wYear;
      t.wBeginMonth = fields.runOnce.wMonth;
      t.wBeginDay = fields.runOnce.wDay;
      t.wStartHour = fields.runOnce.wHour;
      t.wStartMinute = fields.runOnce.wMinute;
      t.TriggerType = TASK_TIME_TRIGGER_ONCE;
      if (failed("SetTrigger", trigger->SetTrigger(&t))) return;
    }
    win32::ComPtr<IPersistFile> file;
    if (failed("QueryInterface", task->QueryInterface(IID_IPersistFile, file.put_void()))) return;
    saved_ = !failed("Save", file->Save(nullptr, TRUE));
  }
  ~FixtureWorkItem() {
    win32::ComScope com;
    win32::ComPtr<ITaskScheduler> scheduler;
    if (SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITaskScheduler, scheduler.put_void())))
      scheduler->Delete(name_.c_str());  // NewWorkItem's name, without the extension
  }
  FixtureWorkItem(const FixtureWorkItem&) = delete;
  FixtureWorkItem& operator=(const FixtureWorkItem&) = delete;

  bool saved() const { return saved_; }
  // Which step failed, for the test's message.
  const std::string& error() const { return error_; }
  // The name the scheduler lists it under.
  std::string jobName() const { return win32::Narrow(name_) + ".job"; }

 private:
  std::wstring name_;
  bool saved_ = false;
  std::string error_;
};

// A 2.0 task definition: one time trigger, one program started, an optional description.
inline std::wstring TaskXml(const std::wstring& command, const std::wstring& description = L"",
                            bool enabled = true) {
  std::wstring xml =
      L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
      L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">";
  if (!description.empty())
    xml += L"<RegistrationInfo><Description>" + description + L"</Description></RegistrationInfo>";
  xml += L"<Triggers><TimeTrigger><StartBoundary>2099-02-03T00:05:00</StartBoundary></TimeTrigger>"
         L"</Triggers>";
  if (!enabled) xml += L"<Settings><Enabled>false</Enabled></Settings>";
  xml += L"<Actions><Exec><Command>" + command + L"</Command></Exec></Actions></Task>";
  return xml;
}

// A BSTR for one call.
class TestBstr {
 public:
  explicit TestBstr(const std::wstring& text)
      : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~TestBstr() { ::SysFreeString(value_); }
  TestBstr(const TestBstr&) = delete;
  TestBstr& operator=(const TestBstr&) = delete;
  operator BSTR() const { return value_; }

 private:
  BSTR value_;
};

// One 2.0 task registered in a folder (created along its path when needed) on construction;
// the task and the folders it created are deleted on destruction.
class FixtureFolderTask {
 public:
  // `folder` is "\" or a path like "\TaskTest\Deeper"; `name` the task's name in it.
  FixtureFolderTask(const std::wstring& folder, const std::wstring& name, const std::wstring& xml)
      : folder_(folder), name_(name) {
    win32::ComScope com;
    win32::ComPtr<ITaskService> service;
    if (!Connect(service)) return;
    win32::ComPtr<ITaskFolder> target;
    if (FAILED(service->GetFolder(TestBstr(L"\\"), target.put()))) return;
    // Each missing folder along the path is created, and remembered for removal.
    std::wstring path;
    for (std::size_t start = 1; folder.size() > 1 && start <= folder.size();) {
      const std::size_t end = std::min(folder.find(L'\\', start), folder.size());
      path += L"\\" + folder.substr(start, end - start);
      win32::ComPtr<ITaskFolder> next;
      if (FAILED(service->GetFolder(TestBstr(path), next.put()))) {
        VARIANT none;
        ::VariantInit(&none);
        if (FAILED(target->CreateFolder(TestBstr(folder.substr(start, end - start)), none,
                                        next.put())))
          return;
        created_.push_back(path);
      }
      target = std::move(next);
      start = end + 1;
    }
    VARIANT none;
    ::VariantInit(&none);
    win32::ComPtr<IRegisteredTask> task;
    registered_ = SUCCEEDED(target->RegisterTask(TestBstr(name), TestBstr(xml),
                                                 TASK_CREATE_OR_UPDATE, none, none,
                                                 TASK_LOGON_NONE, none, task.put()));
  }
  ~FixtureFolderTask() {
    win32::ComScope com;
    win32::ComPtr<ITaskService> service;
    if (!Connect(service)) return;
    win32::ComPtr<ITaskFolder> folder;
    if (SUCCEEDED(service->GetFolder(TestBstr(folder_), folder.put())))
      folder->DeleteTask(TestBstr(name_), 0);
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      const std::size_t slash = it->rfind(L'\\');
      win32::ComPtr<ITaskFolder> parent;
      if (SUCCEEDED(service->GetFolder(TestBstr(slash == 0 ? L"\\" : it->substr(0, slash)),
                                       parent.put())))
        parent->DeleteFolder(TestBstr(it->substr(slash + 1)), 0);
    }
  }
  FixtureFolderTask(const FixtureFolderTask&) = delete;
  FixtureFolderTask& operator=(const FixtureFolderTask&) = delete;

  bool registered() const { return registered_; }
  // The task's folder path, as the scheduler lists it.
  std::string path() const {
    return win32::Narrow((folder_ == L"\\" ? L"" : folder_) + L"\\" + name_);
  }

  // Whether the scheduler kept the task's program in its definition (Wine 8 keeps no actions).
  bool KeepsItsCommand() const {
    win32::ComScope com;
    win32::ComPtr<ITaskService> service;
    win32::ComPtr<ITaskFolder> folder;
    win32::ComPtr<IRegisteredTask> task;
    BSTR xml = nullptr;
    const bool kept = Connect(service) &&
                      SUCCEEDED(service->GetFolder(TestBstr(folder_), folder.put())) &&
                      SUCCEEDED(folder->GetTask(TestBstr(name_), task.put())) &&
                      SUCCEEDED(task->get_Xml(&xml)) && xml &&
                      std::wstring_view(xml).find(L"Command>") != std::wstring_view::npos;
    ::SysFreeString(xml);
    return kept;
  }

  // Whether this scheduler can tell the task's next run time (Wine 8 cannot).
  bool GivesNextRunTime() const {
    win32::ComScope com;
    win32::ComPtr<ITaskService> service;
    win32::ComPtr<ITaskFolder> folder;
    win32::ComPtr<IRegisteredTask> task;
    DATE date = 0;
    return Connect(service) && SUCCEEDED(service->GetFolder(TestBstr(folder_), folder.put())) &&
           SUCCEEDED(folder->GetTask(TestBstr(name_), task.put())) &&
           task->get_NextRunTime(&date) != E_NOTIMPL;
  }

  static bool Connect(win32::ComPtr<ITaskService>& service) {
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskService, service.put_void())))
      return false;
    VARIANT none;
    ::VariantInit(&none);
    return SUCCEEDED(service->Connect(none, none, none, none));
  }

 private:
  std::wstring folder_, name_;
  std::vector<std::wstring> created_;
  bool registered_ = false;
};

// Writes `bytes` as the whole file.
inline bool WriteRawFile(const std::string& path, std::string_view bytes) {
  const win32::UniqueHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0,
                                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr) &&
         written == bytes.size();
}

inline SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  return t;
}

}  // namespace obrivo::test
