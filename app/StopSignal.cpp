#include "app/StopSignal.h"

#include <signal.h>

namespace {

volatile sig_atomic_t received = 0;

void onStopSignal(int signal) {
  if (received != 0) {
    // Asked twice: the default action ends the process now.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  received = signal;
}

}  // namespace

void installStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes resume, so a result being written is not cut off by the signal.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() { return received; }

void clearStopSignal() { received = 0; }

const char* stopSignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "signal";
  }
}
