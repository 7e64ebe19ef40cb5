// The older OLE client layer as the rest of the program sees it: starting and ending
// it, each drawing as a client document, its links and the objects kept in its file,
// and the status messages.
#pragma once

#include <cstdint>

// Registers the clipboard formats, makes the callback and stream tables, clears both
// drawings' records and reads the screen resolution: 1, or 0 when memory is missing.
int InitOle1Client();
// Frees the tables.
void Ole1ClientEnd();

// Registers drawing dwg as a client document named name: 1, else 0 (no document).
int RegDoc(int dwg, const char *name);
// Closes the drawing's objects, waits until nothing is pending, revokes the document
// and clears the record.
void DeregDoc(int dwg);
// Updates the drawing's automatic links when it has objects and an open view.
void UpdateLinks(int dwg);

// Reads the objects of the drawing file at path: 0 when the file cannot be opened or
// read, else 1 (also without an object block; a bad object ends the list and keeps
// those read before it).
int LoadOleObject(int dwg, const char *path);
// Appends the drawing's objects to the file at path as an object block and tells the
// library the document was saved under path: 1 (also without objects), 0 on failure.
int SaveOleObject(int dwg, const char *path);
// Bytes the drawing's objects take in the library's stream form.
uint32_t Ole1DataSize(int dwg);

// Shows the message of an OLE status on the message board.
void ReportOleStatus(int status);

// Waits for the drawing's pending operations: the wait's result, 0 when all ended,
// 201 when the busy timer ran out (reported), 1 when the program is quitting.
int Ole1WaitDoc(int dwg);
// Period of the busy timer in milliseconds (30000).
extern uint32_t Ole1WaitPeriod;
