// Obrivo.exe: the tray-resident Monitor.
#include <windows.h>

#include "monitor/monitor.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  return obrivo::monitor::RunMonitor(instance, arguments ? arguments : L"");
}
