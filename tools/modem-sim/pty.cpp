// Creation of the pseudo-terminal that stands in for the modem's serial
// port, and of the optional symlink that gives it a predictable name.
#include "pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void SetCloseOnExec(int fd) {
    int flags = fcntl(fd, F_GETFD);
    if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}

}  // namespace

bool OpenPty(Pty* pty, std::string* error) {
    pty->master = -1;
    pty->slave = -1;
    pty->slave_path.clear();

    // O_NOCTTY on both ends: the simulator may run as a session leader (under
    // setsid or a CI runner) and must not adopt the pty as its controlling
    // terminal, which would tie the simulator's own signals to the line.
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = SystemError("posix_openpt");
        return false;
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        *error = SystemError("grantpt/unlockpt");
        close(master);
        return false;
    }
    const char* name = ptsname(master);
    if (!name) {
        *error = SystemError("ptsname");
        close(master);
        return false;
    }
    std::string path = name;

    // The simulator holds this slave fd until it exits. Without it, the
    // moment the client closes the port the master reports POLLHUP on every
    // poll and EIO on every read until the client opens it again, so the
    // loop would spin. Holding it also keeps the raw settings below alive
    // between the client's many open/close cycles.
    int slave = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        *error = SystemError(("open " + path).c_str());
        close(master);
        return false;
    }

    // A fresh pty slave behaves like a console: it echoes by itself, turns
    // the client's "\n" into "\r\n" and eats ^C, ^S and friends. A modem
    // port is an 8-bit clean byte pipe, so everything goes raw; the modem's
    // echo is done by the simulator, where the profile can control it.
    struct termios tio;
    if (tcgetattr(slave, &tio) != 0) {
        *error = SystemError("tcgetattr");
        close(slave);
        close(master);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(slave, TCSANOW, &tio) != 0) {
        *error = SystemError("tcsetattr");
        close(slave);
        close(master);
        return false;
    }

    int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = SystemError("fcntl O_NONBLOCK");
        close(slave);
        close(master);
        return false;
    }
    SetCloseOnExec(master);
    SetCloseOnExec(slave);

    pty->master = master;
    pty->slave = slave;
    pty->slave_path = path;
    return true;
}

void ClosePty(Pty* pty) {
    if (pty->slave >= 0) close(pty->slave);
    if (pty->master >= 0) close(pty->master);
    pty->slave = -1;
    pty->master = -1;
}

bool CreateLink(const std::string& link_path, const std::string& target, std::string* error) {
    struct stat st;
    if (lstat(link_path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = link_path + ": exists and is not a symlink, not replacing it";
        return false;
    }
    // Make the new link under a temporary name and rename it into place, so
    // a client polling for the name never sees it missing or half-made.
    std::string tmp = link_path + ".tmp." + std::to_string(long(getpid()));
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0) {
        *error = SystemError(("symlink " + tmp).c_str());
        return false;
    }
    if (rename(tmp.c_str(), link_path.c_str()) != 0) {
        *error = SystemError(("rename to " + link_path).c_str());
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link_path, const std::string& target) {
    std::vector<char> buf(target.size() + 2);
    ssize_t n = readlink(link_path.c_str(), buf.data(), buf.size());
    if (n < 0 || size_t(n) != target.size()) return;
    if (std::memcmp(buf.data(), target.data(), target.size()) != 0) return;
    unlink(link_path.c_str());
}
