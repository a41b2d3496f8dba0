// The connection to the X server, watched for its loss: the server ends, or a
// forwarded connection (ssh -X from the observatory) drops.
//
// Xlib's own answer to a lost connection is to exit from inside the call that found
// out, running the exit handlers, and the teardown of the desktop windows there then
// waits for ever on the dead connection. Watched instead, the loss is handed to the
// desktop host, which stops talking to the display, lets the program end its session
// in order and ends the process.
//
// Kept apart from the toolbox headers: X11's headers define names (Cursor, Window)
// the toolbox uses too.
#pragma once

// Calls lost when the connection breaks. lost must not return: Xlib cannot go on.
// Installed once SDL runs on X11; the watch covers every display of the process.
void WatchDisplayConnection(void (*lost)());
