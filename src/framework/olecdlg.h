// The platform's OLE dialogs for a container: insert object and object properties.
// Each runs through a replaceable function (the seam) so tests choose the result
// without showing the dialog.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oledlg.h>

#include "framework/cstring.h"

class COleClientItem;
class CWnd;

class COleInsertDialog {
public:
  enum Selection { createNewItem = 0, insertFromFile = 1, linkToFile = 2 };
  // "Create new" is preselected.
  explicit COleInsertDialog(DWORD flags = IOF_SELECTCREATENEW, CWnd *parent = nullptr);
  ~COleInsertDialog();
  COleInsertDialog(const COleInsertDialog &) = delete;
  COleInsertDialog &operator=(const COleInsertDialog &) = delete;

  // IDOK, IDCANCEL, or the dialog's error code.
  INT_PTR DoModal();
  // Creates the chosen object in the item (new, from file, linked to file).
  BOOL CreateItem(COleClientItem *item);

  Selection GetSelectionType() const;
  REFCLSID GetClassID() const { return m_io.clsid; }
  CString GetPathName() const { return CString(m_szFileName); }
  DVASPECT GetDrawAspect() const {
    return (m_io.dwFlags & IOF_CHECKDISPLAYASICON) ? DVASPECT_ICON : DVASPECT_CONTENT;
  }
  HGLOBAL GetIconicMetafile() const { return m_io.hMetaPict; }

  // The dialog's structure, filled before DoModal shows it.
  OLEUIINSERTOBJECTA m_io{};

  using ShowFn = UINT (*)(OLEUIINSERTOBJECTA *);
  // Replaces the function that shows the dialog (null: the platform's); the old one.
  static ShowFn SetShowFunction(ShowFn fn);

private:
  char m_szFileName[MAX_PATH] = "";
};

class COleObjectPropertiesDialog {
public:
  COleObjectPropertiesDialog(COleClientItem *item, UINT scaleMin = 10, UINT scaleMax = 500, CWnd *parent = nullptr);
  COleObjectPropertiesDialog(const COleObjectPropertiesDialog &) = delete;
  COleObjectPropertiesDialog &operator=(const COleObjectPropertiesDialog &) = delete;

  // IDOK, IDCANCEL or an error (Wine's dialog is a stub and fails; nothing changes).
  INT_PTR DoModal();

  OLEUIOBJECTPROPSA m_op{};
  OLEUIGNRLPROPSA m_gp{};
  OLEUIVIEWPROPSA m_vp{};
  OLEUILINKPROPSA m_lp{};
  PROPSHEETHEADERA m_psh{};

  using ShowFn = UINT (*)(OLEUIOBJECTPROPSA *);
  static ShowFn SetShowFunction(ShowFn fn);

private:
  COleClientItem *m_pItem;
};
