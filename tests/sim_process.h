// Starts modem-sim on a profile for a test and stops it again.
#pragma once

#include <string>
#include <sys/types.h>

struct SimProcess {
  pid_t pid = -1;
  std::string ptyPath;  // the device a client opens
  std::string logPath;  // every byte the client sent
};

// profile is a path; the sim logs received bytes into a fresh temp file.
// Returns false (with pid -1) when the sim could not be started.
bool StartModemSim(const std::string& profile, SimProcess* sim);
void StopModemSim(SimProcess* sim);

// The bytes the client has sent so far.
std::string ReadSimLog(const SimProcess& sim);
