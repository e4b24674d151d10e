// Tasks the tests register with the real Task Scheduler and remove again: version 1 work items
// (NewWorkItem and IPersistFile::Save) and raw .job files the scheduler cannot read.
#pragma once

#include <windows.h>
#include <initguid.h>
#include <mstask.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::test {

// The folder the scheduler keeps its work items in.
inline std::string WorkItemFolder() { return win32::WindowsDirectory() + "\\Tasks"; }

struct WorkItemSpec {
  std::wstring name;          // without .job, as NewWorkItem takes it
  std::wstring application;   // none set when empty
  std::wstring comment;
  SYSTEMTIME runOnce{};       // a one-time trigger when wYear is set
  bool disabled = false;
};

// One work item, saved on construction and deleted on destruction.
class FixtureWorkItem {
 public:
  explicit FixtureWorkItem(const WorkItemSpec& spec) : name_(spec.name) {
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
    if (failed("NewWorkItem", scheduler->NewWorkItem(spec.name.c_str(), CLSID_CTask, IID_ITask,
                                                     reinterpret_cast<IUnknown**>(task.put()))))
      return;
    if (!spec.application.empty() &&
        failed("SetApplicationName", task->SetApplicationName(spec.application.c_str())))
      return;
    if (!spec.comment.empty() && failed("SetComment", task->SetComment(spec.comment.c_str())))
      return;
    if (spec.disabled && failed("SetFlags", task->SetFlags(TASK_FLAG_DISABLED))) return;
    if (spec.runOnce.wYear != 0) {
      WORD index = 0;
      win32::ComPtr<ITaskTrigger> trigger;
      if (failed("CreateTrigger", task->CreateTrigger(&index, trigger.put()))) return;
      TASK_TRIGGER t{};
      t.cbTriggerSize = sizeof t;
      t.wBeginYear = spec.runOnce.wYear;
      t.wBeginMonth = spec.runOnce.wMonth;
      t.wBeginDay = spec.runOnce.wDay;
      t.wStartHour = spec.runOnce.wHour;
      t.wStartMinute = spec.runOnce.wMinute;
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
