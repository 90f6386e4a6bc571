#pragma once

// Starts the program: opens the catalogue beside the executable and shows the
// main window with the converter. Returns the process's exit status.
int Main();
