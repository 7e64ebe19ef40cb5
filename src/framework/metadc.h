// A DC that records a Windows metafile (Create / Close) or an enhanced metafile
// (CreateEnhanced / CloseEnhanced) in memory or in a file. A metafile cannot answer
// questions: give it an attribute context (SetAttribDC, e.g. a "DISPLAY" DC) for text
// metrics and device capabilities.
#pragma once

#include "framework/dc.h"

class CMetaFileDC : public CDC {
  DECLARE_DYNAMIC(CMetaFileDC)
public:
  CMetaFileDC() = default;
  ~CMetaFileDC() override; // an unclosed recording is thrown away

  // fileName null: in memory.
  BOOL Create(const char *fileName = nullptr);
  // reference null: the screen; bounds in 0.01 mm; description "app\0title\0\0".
  BOOL CreateEnhanced(HDC reference, const char *fileName, const RECT *bounds, const char *description);
  // The recorded metafile (the caller deletes it); null when nothing was recording.
  HMETAFILE Close();
  HENHMETAFILE CloseEnhanced();

  void SetAttribDC(HDC dc) override;

private:
  bool m_bEnhanced = false;
};
