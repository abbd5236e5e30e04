// The simulated modem's device: a pseudo-terminal whose slave side is the
// "serial port" the client opens, and an optional symlink with a stable name.
#pragma once

#include <string>

struct Pty {
    int master;              // the simulator's end, non-blocking
    int slave;               // held open by the simulator for its whole life
    std::string slave_path;  // e.g. /dev/pts/7
};

// Creates the pty and puts the slave into raw mode.
bool OpenPty(Pty* pty, std::string* error);

// Closes both ends; the slave device disappears once the client lets go.
void ClosePty(Pty* pty);

// Points `link_path` at `target`, replacing an existing symlink there (but
// never a regular file or directory).
bool CreateLink(const std::string& link_path, const std::string& target, std::string* error);

// Removes `link_path` if it still points at `target`: another simulator may
// have taken the name over meanwhile, and its link must stay.
void RemoveLink(const std::string& link_path, const std::string& target);
