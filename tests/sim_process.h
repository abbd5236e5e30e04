// Starts modem-sim on a profile for a test and stops it again.
#pragma once

#include <string>
#include <sys/types.h>

struct SimProcess {
  pid_t pid = -1;
  std::string ptyPath;  // the device a client opens
  std::string logPath;  // every byte the client sent
};

// The sim logs received bytes into a fresh temp file; false (pid -1) when it did not start.
bool StartModemSim(const std::string& profile, SimProcess* sim);
void StopModemSim(SimProcess* sim);

std::string ReadSimLog(const SimProcess& sim);
