// A DLL that the planted-dll test puts beside a copy of vantrel.exe under the
// name of a system DLL. It does nothing: the test looks at where the loader
// found a module of that name, not at what the module runs.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD /*reason*/, LPVOID /*reserved*/) {
  return TRUE;
}
