// The choice pop-up: a small window at the mouse cursor that waits for a key or a click.
#pragma once

// Shows text and returns the typed character when it is one of keys, else the code of
// the key or click that closed it (27 Esc, 13 Enter, 9 Tab, 28-31 arrows, 258/259 page
// keys, 500 left click, 501 right click); -1 without MDI client or text, -2 when the
// window cannot be created, -3 when its class cannot be registered. word is not used.
int selm_popup(int word, const char *text, int, int, const char *keys, int);
