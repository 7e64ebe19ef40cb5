// holdfile <path> <marker>: opens path for writing (others may only read), creates
// marker, and holds the file until "<marker>.done" appears (at most a minute).
#include <windows.h>

#include <string>

int main(int argc, char **argv) {
  if (argc < 3)
    return 2;
  HANDLE h = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return 1;
  HANDLE m = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(m);
  const std::string done = std::string(argv[2]) + ".done";
  for (int i = 0; i < 1200 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(50);
  CloseHandle(h);
  return 0;
}
