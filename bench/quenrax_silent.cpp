// A notifier that never reports anything: copied over Quenrax.dll, it leaves the Monitor to its
// timer alone, so that the latency bench can measure the timed patrol, the safety net.
#include <windows.h>

extern "C" BOOL WINAPI QuenraxStart(HWND) { return FALSE; }
extern "C" void WINAPI QuenraxStop() {}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
