// The server item through which a drawing is embedded in, or linked into, another
// program's document: the whole sheet or a named part of it, its extent in HIMETRIC.
#pragma once

#include <vector>

#include "framework/oledoc.h"
#include "ole/klgeom.h"

class CMainDoc;
class COleDataSource;

class CKLSrvrItem : public COleServerItem {
  DECLARE_DYNAMIC(CKLSrvrItem)
public:
  explicit CKLSrvrItem(CMainDoc *doc);
  ~CKLSrvrItem() override;

  CMainDoc *GetDocument() const;
  // Stores the rectangle with its corners ordered (upper left, lower right, y up);
  // r = x1, y1, x2, y2 and is ordered in place.
  void SetItemRect(double r[4]);
  void GetItemRect(double r[4]) const;
  CKLDRect GetItemDRect() const { return CKLDRect(m_rect[0], m_rect[1], m_rect[2], m_rect[3]); }
  SIZE GetExtent() const { return m_extent; }
  void SetExtent(SIZE s) { m_extent = s; }

  static void FormatItemName(CString &out, double x1, double y1, double x2, double y2, int cx, int cy);
  static BOOL IsValidItemName(const char *name);
  BOOL IsSameItemName(const char *name) const;
  // Adopts a link name; an invalid one presents the whole sheet.
  void SetLinkItemName(void *view, const char *name);
  // Whole sheet (part null), or the given part of it (rect: x1, y1, x2, y2).
  void UpdateItemRect(void *part, const double *rect);

  void AddDataSource(COleDataSource *source);
  void RemoveDataSource(COleDataSource *source);
  const std::vector<COleDataSource *> &DataSources() const { return m_sources; }

  // The embedded item stores the document with the item's extent and rectangle.
  void Serialize(CArchive &ar) override;
  // The picture comes with the rendering routines; none is drawn yet.
  BOOL OnDraw(CDC *dc, SIZE &size) override;
  BOOL OnGetExtent(DVASPECT aspect, SIZE &size) override;
  BOOL OnSetExtent(DVASPECT aspect, const SIZE &size) override;
  void OnDoVerb(LONG verb) override;
  void OnShow() override;
  void OnOpen() override;

  UINT m_renderFormat = 0; // format being rendered, 0 outside
  int m_view = -1;         // view whose transform the pictures borrow

private:
  double m_rect[4] = {0, 0, 0, 0};
  std::vector<COleDataSource *> m_sources;
  SIZE m_extent;
};

// Clipboard formats shared by the items, registered by the first item.
extern UINT cfKLEmbedSource, cfKLObjectDescriptor, cfKLLinkSource, cfKLLinkSourceDescriptor;
