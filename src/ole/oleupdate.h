// What the shell asks of the OLE layer before a command starts.
#pragma once

// Brings the selection of embedded objects up to date (UpdateSelectedItem).
void OleUpdateSelected();
