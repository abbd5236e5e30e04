// The modem itself: reads the client's bytes from the pty master, echoes
// them, cuts them into command lines and sends the profile's answers.
#pragma once

#include "profile.h"

struct SimSetup {
    const Profile* profile;
    int master;   // pty master, non-blocking
    int slave;    // the simulator's own slave fd, used to look at the port's queue
    int log_fd;   // every received byte is appended here; -1 for none
    int wake_fd;  // becomes readable when the simulator must stop (signal)
};

enum SimEnd {
    SIM_STOPPED,  // wake_fd fired
    SIM_HUNG_UP,  // a hangup action or disconnect-after; the caller closes the pty
};

SimEnd RunSimulator(const SimSetup& setup);
