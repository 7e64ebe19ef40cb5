// A document's drawing read by the file commands becomes a client document of the
// older OLE layer, and its links are updated once it is shown. Filled while the
// program loads.
#include "files/filecalls.h"
#include "ole/ole1doc.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  FileUp.regdoc = &RegDoc;
  FileUp.updlinks = &UpdateLinks;
  return true;
}();
} // namespace
