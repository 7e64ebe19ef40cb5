// A child for the program-start test: waits until the file GO exists (when given),
// then a little longer, so a caller that does not wait returns first, and writes DONE.
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv) {
  if (argc < 2)
    return 1;
  if (argc > 2)
    for (int t = 0; t < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; t++)
      Sleep(50);
  Sleep(300);
  std::FILE *f = std::fopen(argv[1], "wb");
  if (!f)
    return 1;
  std::fputs("done", f);
  std::fclose(f);
  return 7;
}
