// Until embedding is built no drawing holds embedded objects: there is never a block
// to write.
#include "ole/oleblock.h"

uint32_t PrepareOleBlock(int) { return 0; }
int WriteOleBlock(int, const char *) { return 1; }
void DeleteOleTempFile() {}
