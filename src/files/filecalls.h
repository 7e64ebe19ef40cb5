// What the file commands tell the layers above while a drawing is taken into a slot,
// read or saved: the command line's and the zoom commands' per-drawing state, the
// older OLE client's documents, the recent files and the tool bars. Each layer fills
// its own slots when the program loads (commands/cmdl/filecalls_win.cpp,
// ole/filecalls_win.cpp, shell/app/filecalls_win.cpp); an empty slot does nothing.
#pragma once

struct FileCalls {
  void (*slotnew)(int dwg);                 // a free slot is taken for another drawing
  void (*zoomclr)(int dwg);                 // the drawing's zoom history starts empty
  int (*regdoc)(int dwg, const char *name); // a document's drawing is read: its client document
  void (*updlinks)(int dwg);                // ... and, once it is shown, its automatic links
  void (*recent)(const char *path);         // a seal file was opened or saved under path
  void (*barsupd)();                        // the tool bars follow the drawings again
};
extern FileCalls FileUp;

inline void fcl_slotnew(int dwg) {
  if (FileUp.slotnew)
    FileUp.slotnew(dwg);
}
inline void fcl_zoomclr(int dwg) {
  if (FileUp.zoomclr)
    FileUp.zoomclr(dwg);
}
inline int fcl_regdoc(int dwg, const char *name) { return FileUp.regdoc ? FileUp.regdoc(dwg, name) : 0; }
inline void fcl_updlinks(int dwg) {
  if (FileUp.updlinks)
    FileUp.updlinks(dwg);
}
inline void fcl_recent(const char *path) {
  if (FileUp.recent)
    FileUp.recent(path);
}
inline void fcl_barsupd() {
  if (FileUp.barsupd)
    FileUp.barsupd();
}
