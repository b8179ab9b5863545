#pragma once

// SIGINT and SIGTERM ask the running program to stop: the frame loop ends after the frame in
// progress and the program shuts down as when the window is closed (contexts released, the log's
// closing lines written, results complete or absent), then exits with 128 + the signal's number.
// A second such signal ends the process at once, for a shut-down that hangs.

// Installs the handlers; the program does this once the engine starts.
void installStopSignals();
// The signal received (SIGINT or SIGTERM), or 0.
int stopSignal();
// Forgets a received signal (tests).
void clearStopSignal();
// "SIGINT", "SIGTERM" or "signal N".
const char* stopSignalName(int signal);
