// Stands in for the seal editor beside the test host: writes the command line it was
// started with to the file INKFORGE_CMDFILE names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
  const char *out = std::getenv("INKFORGE_CMDFILE");
  if (!out)
    return 1;
  std::FILE *f = std::fopen(out, "wb");
  if (!f)
    return 1;
  std::fputs(GetCommandLineA(), f);
  std::fclose(f);
  return 0;
}
