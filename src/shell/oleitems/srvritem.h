// The server item through which a drawing is embedded in, or linked into, another
// program's document: the whole sheet or a named part of it, its extent in HIMETRIC.
#pragma once

#include <vector>

#include "framework/metadc.h"
#include "framework/oledata.h"
#include "framework/oledoc.h"
#include "ole/klgeom.h"

class CMainDoc;

// Records an enhanced metafile for a consumer; a "DISPLAY" context answers the drawing's
// questions (metrics, capabilities) while it records.
class CEnhMetaFileDC : public CMetaFileDC {
  DECLARE_DYNAMIC(CEnhMetaFileDC)
public:
  CEnhMetaFileDC() = default;
  ~CEnhMetaFileDC() override;
  // FALSE when the metafile or the display context cannot be made; nothing is kept then.
  BOOL CreateEnhanced(HDC reference, const char *fileName, const RECT *bounds, const char *description);
  // Deletes the display context and gives the metafile (the caller deletes it).
  HENHMETAFILE CloseEnhanced();
  BOOL GrayString(HBRUSH brush, GRAYSTRINGPROC proc, LPARAM data, int count, int x, int y, int cx, int cy) override;
};
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
  // Before the document goes: each data source caches its data now and is cut loose;
  // the one that owns the clipboard puts its data onto the clipboard instead.
  void ReleaseDataSources();
  // When a data source of the item owns the clipboard, its pictures are moved to the
  // plain clipboard so that they outlive the document. A refused clipboard throws.
  void KeepClipboardPictures();
  // Puts the pictures of mask (see PICT_*) and the embedding of an area on the clipboard:
  // mode 0 the current view's window, mode 1 two corners the user picks. part null
  // presents the whole sheet. FALSE when the pick ended otherwise or nothing was put.
  BOOL CopyAreaToClipboard(UINT mask, void *part, int mode);

  // The embedded item stores the document with the item's extent and rectangle.
  void Serialize(CArchive &ar) override;
  // Draws the item's area with the method of the format being rendered; the document
  // holds the context as its render target meanwhile.
  BOOL OnDraw(CDC *dc, SIZE &size) override;
  // The drawing's view mapped onto the context: a metafile picture, an enhanced
  // metafile (at a thousand times the desktop's resolution), or a bitmap or screen
  // context (white underneath first). FALSE when no view of the drawing is open.
  BOOL DrawToMetaFile(CDC *dc);
  BOOL DrawToEnhMetaFile(CDC *dc);
  BOOL DrawToScreenDC(CDC *dc);
  // A bitmap of the extent's pixel size, or an enhanced metafile framed to the extent,
  // for a consumer's empty medium; FALSE on a bad request or a failed resource.
  BOOL RenderBitmap(FORMATETC *formatEtc, STGMEDIUM *medium);
  BOOL RenderEnhMetaFile(FORMATETC *formatEtc, STGMEDIUM *medium);
  // CF_TEXT: the extent text in a new block; other formats as the base.
  BOOL OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block) override;
  // The item rectangle as text in a 128-byte movable block; null when none is had.
  HGLOBAL MakeExtentText() const;
  // A data source with the three pictures delayed, "Embed Source" and the descriptor.
  COleDataSource *OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) override;
  void FillClipboardData(COleDataSource *source, BOOL includeLink, const POINT *offset, const SIZE *size);
  // Records the format being rendered while it renders.
  BOOL OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) override;
  // A new storage for an empty medium, else the consumer's own storage; FALSE when
  // the store fails, so the consumer embeds nothing it was not given.
  BOOL RenderEmbedSource(FORMATETC *formatEtc, STGMEDIUM *medium);
  void SaveEmbeddingToStorage(IStorage *storage, STGMEDIUM *medium);
  BOOL OnGetExtent(DVASPECT aspect, SIZE &size) override;
  BOOL OnSetExtent(DVASPECT aspect, const SIZE &size) override;
  void OnDoVerb(LONG verb) override;
  void OnShow() override;
  void OnOpen() override;

  UINT m_renderFormat = 0; // format being rendered, 0 outside
  int m_view = -1;         // view whose transform the pictures borrow

private:
  enum DrawKind { DRAW_SCREEN, DRAW_METAFILE, DRAW_ENHMETAFILE };
  BOOL DrawView(CDC *dc, DrawKind kind);

  double m_rect[4] = {0, 0, 0, 0};
  std::vector<COleDataSource *> m_sources;
  SIZE m_extent;
};

// Picture masks of a data source; 0 means the enhanced metafile and the metafile picture.
enum : UINT { PICT_BITMAP = 1, PICT_METAFILE = 2, PICT_ENHMETAFILE = 4 };

// Offers the item's pictures without making them: they are drawn by the item when a
// consumer asks. Cut loose from the item, it answers only what it cached.
class CKLItemDelayDataSource : public COleDataSource {
public:
  explicit CKLItemDelayDataSource(CKLSrvrItem *owner); // all three pictures
  CKLItemDelayDataSource(UINT mask, CKLSrvrItem *owner);
  ~CKLItemDelayDataSource() override;

  void DelayRenderPictures(UINT mask);
  // Storages, bitmaps and metafiles are asked of the item first.
  BOOL OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) override;
  // Renders every offered format now and keeps it, so the data outlives the item.
  void CacheAllData();

  CKLSrvrItem *m_pOwner;
};

// Clipboard formats shared by the items, registered by the first item.
extern UINT cfKLEmbedSource, cfKLObjectDescriptor, cfKLLinkSource, cfKLLinkSourceDescriptor;
