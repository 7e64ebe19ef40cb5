// The start-up command line: up to two file names and the options /D<n> (trace
// mode), /F (refuses the start) and any other letter (no effect), each option
// introduced by '/' or '-', letters in either case.
#pragma once

constexpr int APP_NAMELEN = 264;

// Program-wide start-up record; the DDE open of the same file reads the first-opened name.
struct AppStartArgs {
  char files[2][APP_NAMELEN];
  int count;                     // 0..2
  char firstopened[APP_NAMELEN]; // first file opened at start
  int openedcount;               // files opened at start so far
};
extern AppStartArgs AppArgs;

// What the words of a command line ask for.
struct AppCmdLine {
  char files[2][APP_NAMELEN];
  int count;   // file names kept (the first two)
  int trace;   // the /D mode, -1 when not given
  bool refuse; // /F alone: the start is refused
  int toolong; // file names refused for not fitting a path buffer
};

// Cuts one word behind pos (blanks skipped; "..." is one word without its quotes; an
// unclosed quote gives an empty word). Returns the position behind the word, or null
// at the end of the text. A word that does not fit out (APP_NAMELEN with its NUL)
// is given back empty with *toolong set, never cut.
const char *app_cmdtoken(const char *pos, char out[APP_NAMELEN], bool *toolong);
// Reads up to 20 words of text; stops at the first empty word.
void app_cmdparse(const char *text, AppCmdLine &out);
// Two file names are the same when they differ only in the case of single-byte
// letters (double-byte characters compared as units).
bool app_samefile(const char *a, const char *b);
// Opens the files kept at start (app_openargs) through open(mode 1, path): a file
// already opened at start (the DDE open of the same name) is skipped and cleared.
// The first opened name and the counter are recorded in AppArgs. 0.
int app_openfiles(int (*open)(int mode, const char *path));
