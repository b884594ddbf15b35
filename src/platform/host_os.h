// The host's entries of the OS table that live outside os_posix.cpp (one
// file per kind of operation); os_posix.cpp assembles the table from them.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace qvb::platform::host {

int startProcess(const char *const *argv, const char *workDir, const char *logFile, long *process);
int waitProcess(long process, double seconds, ProcessEnd *end);
int signalProcess(long process, int signal);

bool catchSignal(int signal, void (*handler)(int));
void releaseSignal(int signal);
void endBySignal(int signal);

int startThread(void *(*body)(void *), void *argument, uint64_t *thread);
int joinThread(uint64_t thread);

}  // namespace qvb::platform::host
