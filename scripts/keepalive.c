/* An idle GUI program that keeps the Wine desktop process alive for the length
   of a session, so that each test program does not pay for starting it. */
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {
    (void)a; (void)b; (void)c; (void)d;
    Sleep(INFINITE);
    return 0;
}
