// Single instance and the status value other programs read.
#pragma once

// Set while a handed-over command line waits to be opened.
extern int HandoverBusy;

// Writes the status value "Action" (REG_DWORD) under
// HKEY_CURRENT_USER\Software\Orvik\Nimbo2XKIVOLANT; any code but 1 clears the
// hand-over busy flag. The registry's result (0 success).
long reg_action(unsigned long code);
