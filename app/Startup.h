#pragma once

// Start-up of the terminal: the application title, the program's eleven
// windows in their fixed order, the message loop and the exception box for
// whatever escapes them. The test fixture builds the same window set.

// Sets the application title.
void InitialiseApplication();

// Creates every window into its global object, in the fixed order; none is
// shown. Dialogs belong to the main window (they stay top-level dialogs); the
// log window and the panels are independent windows.
void CreateWindows();

// Ends every cycle worker, then destroys the windows in reverse order and
// clears their globals; windows that were never created are passed over.
void DestroyWindows();

// The program: start-up, the main window shown, the message loop until the
// main window closes. An exception escaping any of it is shown in the
// standard exception box. Always returns 0. The application object must exist.
int RunCommTerminal();
