// The plug-in's dialogs: the gate's first-user and password dialogs, the settings
// dialog with its sub-dialogs (user name, password, seal folder, usual seal, adding
// seals) and the stamping confirmation. Dialog ids and control ids are in rarures.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/rarures.h"

// The module whose resources hold the dialogs: the plug-in, or the program that links
// the plug-in's library.
HINSTANCE Raru_DlgInstance();
// Runs dialog id (IDD_RARU_*) owned by owner: 1 after OK (or the button with id 1),
// -1 after Cancel.
INT_PTR Raru_Dialog(int id, HWND owner);

INT_PTR CALLBACK Raru_FirstUserDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_PasswordDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_ConfigDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_UserNameDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_PasswordChangeDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_ChooserDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_AddRaruDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK Raru_ConfirmDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

// OK of the first-user dialog: checks the entries, stores user and password; 1 when
// the dialog was closed, 0 when it stays.
int Raru_ApplyFirstUser(HWND dlg);
// OK of the password dialog: 1 closed, 0 stays.
int Raru_CheckPassword(HWND dlg);
// Fills the settings dialog from the settings.
void Raru_ConfigDlgInit(HWND dlg);
// OK of the user-name change: 1 closed (the new name is in the settings dialog's
// field), 0 stays.
int Raru_ApplyUserNameChange(HWND dlg);
// OK of the password change: 1 closed, 0 stays (also when the new password could not
// be written; the old one then stays in force).
int Raru_ApplyPasswordChange(HWND dlg);
// Rewrites the owner name of the user's seals in the seal folder after a name change
// from oldName; seals that cannot be rewritten are named in one warning (owner of the
// message). The number of seals rewritten.
int Raru_RestampOwner(HWND owner, const char *oldName);
// The same for the owner password after a change from oldCrypt (encrypted, 20 bytes).
int Raru_RestampPassword(HWND owner, const char *oldCrypt);
// "指定...": lets the user pick the seal folder; stores it and writes SEALFOLDER.
// 1 when a folder was picked.
int Raru_BrowseRaruFolder(HWND dlg);
int CALLBACK Raru_BrowseCallback(HWND wnd, UINT msg, LPARAM lp, LPARAM data);
// Fills the chooser's list with the user's seals of the list folder; the row count.
int Raru_ChooserFill(HWND dlg);
// Order of seal file names in the lists: case-insensitive, double-byte aware.
int Raru_CompareNames(const char *a, const char *b);
// "印鑑追加" of the add-seal dialog: 1 when the seal was added and the dialog closed.
int Raru_ApplyAddRaru(HWND dlg);
// Gives a field the focus and selects all its text (after a rejected entry).
void Raru_SelectField(HWND field);

// The level of the seal chosen last in the chooser (the usual seal's level until one
// is chosen).
extern int32_t Raru_ChosenLevel;
