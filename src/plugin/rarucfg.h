// Stampix settings: SEALCONFIG.SYS beside the plug-in (section SYSTEM) and the mirror
// of user name, encrypted password and group code under
// HKEY_CURRENT_USER\Software\Orvik\KLStampix (data0, data1, data2).
#pragma once

#include <cstddef>
#include <cstdint>

struct RaruSettings {
  char userName[24];     // USERNAME
  char regUserName[24];  // data0
  char sealFolder[262];  // SEALFOLDER, no trailing backslash
  char defaultFile[262]; // DEFAULTFILE, a name within the seal folder
  int32_t sealColor;     // SEALCOLOR: 0 red, 1 white, 2 black
  int32_t sealCheck;     // SEALCHECK: confirm before stamping
  int32_t sealDate;      // SEALDATE: month and day with two digits
  char cryptPassword[20];    // CRYPTWD
  char regCryptPassword[20]; // data1
  int32_t level;             // permission level of the usual seal
  char groupCode[20];        // data2
};
static_assert(offsetof(RaruSettings, sealColor) == 572);
static_assert(offsetof(RaruSettings, cryptPassword) == 584);
static_assert(offsetof(RaruSettings, level) == 624);
static_assert(sizeof(RaruSettings) == 648);

enum ConfigKeyCode : int {
  CFG_USERNAME = 101,
  CFG_SEALFOLDER = 102,
  CFG_DEFAULTFILE = 103,
  CFG_SEALCOLOR = 104,
  CFG_SEALCHECK = 105,
  CFG_SEALDATE = 106,
  CFG_CRYPTWD = 107,
};

// 0 until the password gate was passed once in this process; the settings reader
// sets it back to 0.
extern int32_t Raru_GateFlag;

// Copy-in/copy-out of the process-wide records: 'R'/'r' into the caller's buffer,
// 'W'/'w' from it; 0, or 1 for another op. Names are 262 bytes.
int Raru_SysSettings(int op, RaruSettings *record);
int Raru_SysPreviewFile(int op, char *name);
int Raru_SysListFolder(int op, char *name);

// The plug-in folder with a trailing backslash, as the last read found it ("" before).
const char *Raru_PluginFolder();

// Reads SEALCONFIG.SYS and the registry mirror into the settings; 0.
int Raru_ReadConfig();
// Writes one key (ConfigKeyCode) from the settings, and for USERNAME and CRYPTWD the
// mirror after the file: 0; 1 the file could not be written (the mirror is left
// alone); 2 the mirror could not be written.
int Raru_WriteConfig(int code);

// 1 value taken; 0 key created now or value empty; -1 key or value unreadable.
int Raru_RegReadUser();
int Raru_RegReadPassword();
int Raru_RegReadGroup();
// 0 written, 1 failed.
int Raru_RegWriteUser();
int Raru_RegWritePassword();
int Raru_RegWriteGroup();

// Checks the usual seal of the settings: when it opens in the seal folder and its
// header names the user (owner name or owner password), tells the host
// (KlhSetDefautRaru) and gives 1 with the header's level; 0 when it does not match,
// -1 when it does not open. level may be null.
int Raru_CheckDefault(const RaruSettings &s, int32_t *level);
