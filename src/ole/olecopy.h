// Copying an area of a view to the clipboard as the object layer offers it.
#pragma once

int OleCopyViewArea();   // the whole current view; 1 copied, 0 not
int OleCopyPickedArea(); // an area the user picks; the last input code, -1 not copied
