// modem-sim as a child process of a test.
#include "tests/sim_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

bool StartModemSim(const std::string& profile, SimProcess* sim) {
  char logTemplate[] = "/tmp/modem-sim-log-XXXXXX";
  const int logFd = mkstemp(logTemplate);
  if (logFd < 0) return false;
  close(logFd);
  sim->logPath = logTemplate;

  int out[2];
  if (pipe(out) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(MODEM_SIM_PATH, MODEM_SIM_PATH, "--log", sim->logPath.c_str(), profile.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // The sim prints its pty path once it is ready to answer.
  std::string line;
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  sim->pid = pid;
  sim->ptyPath = line;
  if (line.empty()) {
    StopModemSim(sim);
    return false;
  }
  return true;
}

void StopModemSim(SimProcess* sim) {
  if (sim->pid > 0) {
    kill(sim->pid, SIGTERM);
    waitpid(sim->pid, nullptr, 0);
  }
  sim->pid = -1;
  if (!sim->logPath.empty()) unlink(sim->logPath.c_str());
}

std::string ReadSimLog(const SimProcess& sim) {
  std::ifstream in(sim.logPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
