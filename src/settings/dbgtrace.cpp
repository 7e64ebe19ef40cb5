#include "settings/dbgtrace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

int dbg_mode = 0;

namespace {

FILE *trace_file = nullptr;
const char *open_mode = "w"; // the first opening in a run replaces the file

void to_debugger(const char *text) {
#ifdef _WIN32
  OutputDebugStringA(text);
#else
  std::fputs(text, stderr);
#endif
}

// Writes an already formatted line in the current mode.
int emit(const char *text) {
  if (dbg_mode == 2) {
    to_debugger(text);
    return 0;
  }
  if (dbg_mode != 1)
    return 0;
  if (!trace_file) {
    trace_file = std::fopen("debug.lst", open_mode);
    if (!trace_file) {
      dbg_mode = 0;
      return 1;
    }
    std::time_t now = std::time(nullptr);
    char date[40] = "";
    if (const char *c = std::ctime(&now)) {
      std::strncpy(date, c, 24); // ctime form without its line end
      date[24] = '\0';
    }
    std::fprintf(trace_file, "\r\n--- %s ----------------------\r\n", date);
  }
  std::fputs(text, trace_file);
  std::fflush(trace_file);
  return 0;
}

} // namespace

int dbg_trace(const char *format, ...) {
  if (dbg_mode != 1 && dbg_mode != 2)
    return 0;
  char line[256];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(line, sizeof line, format, ap);
  va_end(ap);
  return emit(line);
}

int dbg_close() {
  if (trace_file) {
    std::fflush(trace_file);
    std::fclose(trace_file);
    trace_file = nullptr;
  }
  open_mode = "a";
  return 0;
}

int dbg_force(const char *format, ...) {
  char line[256];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(line, sizeof line, format, ap);
  va_end(ap);
  int old = dbg_mode;
  dbg_mode = 1;
  emit(line);
  dbg_mode = old;
  dbg_close();
  return 0;
}
