// A program that imports winmm by name, as setup.exe once did: started beside a planted winmm.dll,
// it shows whether the rig loads a DLL from the program's folder.
#include <windows.h>

#include <mmsystem.h>

int main() {
    timeGetTime();
    return 0;
}
