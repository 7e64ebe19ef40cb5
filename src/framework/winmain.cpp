// The program's entry point; linked in only by programs that have no main().
#include "framework/winapp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
  return AfxWinMain(instance, cmdLine, cmdShow);
}
