// Ports given their function when the program starts, for an observer who always uses
// the same mount port: the same outcome as choosing the function in the port dialog
// and confirming it, without the dialog.
#pragma once

#include <string>

#include "control/SerialInterface.h"

// Lists the ports afresh, gives the one at path the mount function (every other
// listed port keeps its function) and opens the ports as the port dialog's OK does.
// path must be in the port list: callers add it to the given ports first. False when
// the port is not listed (the ports are then opened again as they were) or could not
// be opened.
bool AssignMountPort(SerialInterface& serial, const std::string& path);
