// A service of the control manager running the test service program, created by a test and
// deleted again (stopped first) when the object goes away.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "test_process.h"

namespace obrivo::test {

// A service running the test service program (demand-start unless told), deleted at the end.
class TestService {
 public:
  TestService(const std::string& program, const std::wstring& name, const std::wstring& display,
              DWORD start = SERVICE_DEMAND_START)
      : name_(name) {
    win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return;
    const std::wstring path = L"\"" + win32::Wide(program) + L"\"";
    service_.reset(::CreateServiceW(manager.get(), name.c_str(), display.c_str(),
                                    SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                    start, SERVICE_ERROR_IGNORE, path.c_str(),
                                    nullptr, nullptr, nullptr, nullptr, nullptr));
  }
  ~TestService() {
    if (!service_) return;
    SERVICE_STATUS status{};
    ::ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
    WaitFor(SERVICE_STOPPED);
    ::DeleteService(service_.get());
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  bool created() const { return static_cast<bool>(service_); }
  bool Start() { return ::StartServiceW(service_.get(), 0, nullptr) && WaitFor(SERVICE_RUNNING); }
  bool StartOnDemand() {
    return ::ChangeServiceConfigW(service_.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                  SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr);
  }
  bool WaitFor(DWORD state) {
    return WaitUntil([&] {
      SERVICE_STATUS status{};
      return ::QueryServiceStatus(service_.get(), &status) && status.dwCurrentState == state;
    });
  }

 private:
  std::wstring name_;
  win32::UniqueServiceHandle service_;
};

}  // namespace obrivo::test
