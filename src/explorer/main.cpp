// ObrivoEx.exe: the Explorer.
#include <windows.h>

#include "explorer/explorer.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  return obrivo::explorer::RunExplorer(instance, arguments ? arguments : L"");
}
