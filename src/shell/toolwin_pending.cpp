// Until the tool window is built: its buttons' records are kept, and showing is
// refused as there is no window to show.
#include <cstdio>
#include <cstring>

#include "commands/viewcmd.h"
#include "shell/toolwin.h"

ToolSlot ToolSlots[TOOL_BUTTONS];
int32_t ToolCommands[3] = {-1, -1, -1};

int tool_sethandler(int n, CmdHandler handler) {
  if (n < 0 || n >= TOOL_BUTTONS)
    return 0;
  ToolSlots[n].handler = handler;
  return 1;
}

int tool_setcaption(int n, const char *title, const char *label) {
  if (n < 0 || n >= TOOL_BUTTONS)
    return 0;
  std::snprintf(ToolSlots[n].title, sizeof ToolSlots[n].title, "%s", title ? title : "");
  std::snprintf(ToolSlots[n].label, sizeof ToolSlots[n].label, "%s", label ? label : "");
  return 1;
}

int tool_show(int, int) { return 0; }

void tool_preset(const int32_t *v, int count) {
  for (int32_t &c : ToolCommands)
    c = -1;
  struct Preset {
    int32_t command;
    CmdHandler handler;
    const char *title, *label;
  };
  // The whole-sheet and redraw picks are not built yet: their buttons get the table's entry.
  const Preset presets[] = {{500, nullptr, "原  図", "原図"},
                            {502, nullptr, "再表示", "再表"},
                            {504, cm_zoomin, "拡  大", "拡大"},
                            {505, cm_zoomout, "縮  小", "縮小"}};
  for (int i = 0; i < count && i < 3; i++) {
    if (v[i] < 500 || v[i] > 508)
      continue;
    ToolCommands[i] = v[i];
    for (const Preset &p : presets)
      if (p.command == v[i]) {
        tool_sethandler(i, p.handler ? p.handler : CommandTable[p.command]);
        tool_setcaption(i, p.title, p.label);
        tool_show(i, 1);
      }
  }
}
