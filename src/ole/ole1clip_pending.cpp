// The older object layer is not built: it registers no formats and renders nothing,
// so the area copy offers neither.
#include "ole/ole1clip.h"

UINT Ole1ClipFormat(int) { return 0; }

HGLOBAL RenderOle1Data(int, const double *, int) { return nullptr; }
