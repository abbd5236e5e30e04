// modem-sim: a simulated AT-command modem for tests and demos. It creates a
// pseudo-terminal, prints the slave's path, and answers the commands sent
// to it as a profile file describes. See README.md for usage and profiles.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "http_sim.h"
#include "profile.h"
#include "pty.h"
#include "sim.h"

namespace {

const int kExitUsage = 2;   // bad arguments or a bad profile
const int kExitSystem = 1;  // the pty, the link or the log could not be made

struct Options {
    const char* profile_path;
    const char* link_path;  // nullptr: no link
    const char* log_path;   // nullptr: no log
    bool http;              // a router stick on 127.0.0.1 instead of a pty
};

// Self-pipe: the handler only writes a byte, which wakes the poll() in the
// main loop. A plain flag could be missed if the signal lands just before
// poll() starts waiting without a timeout.
int g_wake_write = -1;

void OnStopSignal(int) {
    int saved = errno;
    char byte = 1;
    ssize_t ignored = write(g_wake_write, &byte, 1);
    (void)ignored;
    errno = saved;
}

void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: modem-sim [--link PATH] [--log FILE] PROFILE\n"
                 "       modem-sim --http [--log FILE] ROUTER-PROFILE\n"
                 "  Creates a pty, prints its slave path and answers AT commands\n"
                 "  as PROFILE says. --http: listens on 127.0.0.1 (a free port),\n"
                 "  prints http://127.0.0.1:PORT and answers as a stick's web interface.\n"
                 "  --link PATH  also make PATH a symlink to the slave (removed on exit)\n"
                 "  --log FILE   append every byte received from the client to FILE\n");
}

// Returns -1 when the options are fine, otherwise the exit code.
int ParseArguments(int argc, char** argv, Options* opt) {
    *opt = Options{nullptr, nullptr, nullptr, false};
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!options_done && (arg == "--help" || arg == "-h")) {
            PrintUsage(stdout);
            return 0;
        }
        if (!options_done && arg == "--") {
            options_done = true;
            continue;
        }
        if (!options_done && arg == "--http") {
            opt->http = true;
            continue;
        }
        if (!options_done && (arg == "--link" || arg == "--log")) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "modem-sim: %s needs a path\n", arg.c_str());
                return kExitUsage;
            }
            const char** slot = arg == "--link" ? &opt->link_path : &opt->log_path;
            if (*slot) {
                std::fprintf(stderr, "modem-sim: %s given twice\n", arg.c_str());
                return kExitUsage;
            }
            *slot = argv[++i];
            continue;
        }
        if (!options_done && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "modem-sim: unknown option %s\n", arg.c_str());
            PrintUsage(stderr);
            return kExitUsage;
        }
        if (opt->profile_path) {
            std::fprintf(stderr, "modem-sim: only one profile, please\n");
            PrintUsage(stderr);
            return kExitUsage;
        }
        opt->profile_path = argv[i];
    }
    if (!opt->profile_path) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    return -1;
}

bool InstallSignals(int* wake_read, std::string* error) {
    int fds[2];
    if (pipe(fds) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    g_wake_write = fds[1];
    *wake_read = fds[0];

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    // A client that vanished must not kill us through a write; the write
    // paths deal with the errors themselves.
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGPIPE, &sa, nullptr);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    int code = ParseArguments(argc, argv, &opt);
    if (code >= 0) return code;

    Profile profile;
    RouterProfile router;
    std::string error;
    if (opt.http ? !ParseRouterProfile(opt.profile_path, &router, &error)
                 : !ParseProfile(opt.profile_path, &profile, &error)) {
        std::fprintf(stderr, "modem-sim: %s\n", error.c_str());
        return kExitUsage;
    }

    int log_fd = -1;
    if (opt.log_path) {
        log_fd = open(opt.log_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log_fd < 0) {
            std::fprintf(stderr, "modem-sim: %s: cannot open log: %s\n", opt.log_path, std::strerror(errno));
            return kExitSystem;
        }
    }

    int wake_fd = -1;
    if (!InstallSignals(&wake_fd, &error)) {
        std::fprintf(stderr, "modem-sim: %s\n", error.c_str());
        return kExitSystem;
    }

    if (opt.http) {
        const int status = RunHttpSimulator(router, log_fd, wake_fd);
        if (log_fd >= 0) close(log_fd);
        return status;
    }

    Pty pty;
    if (!OpenPty(&pty, &error)) {
        std::fprintf(stderr, "modem-sim: %s\n", error.c_str());
        return kExitSystem;
    }
    if (opt.link_path && !CreateLink(opt.link_path, pty.slave_path, &error)) {
        std::fprintf(stderr, "modem-sim: %s\n", error.c_str());
        ClosePty(&pty);
        return kExitSystem;
    }

    // The path line is the "ready" signal for whoever started us.
    std::printf("%s\n", pty.slave_path.c_str());
    std::fflush(stdout);

    SimSetup setup = {&profile, pty.master, pty.slave, log_fd, wake_fd};
    SimEnd end = RunSimulator(setup);

    ClosePty(&pty);
    if (opt.link_path) RemoveLink(opt.link_path, pty.slave_path);
    if (log_fd >= 0) close(log_fd);
    if (end == SIM_HUNG_UP) std::fprintf(stderr, "modem-sim: hung up\n");
    return 0;
}
