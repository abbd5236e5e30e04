// The simulator's main loop. Single-threaded: one poll() loop reads the
// client, and every pause (delay, wait, drip, a full pty) is a poll with a
// timeout that keeps reading, so bytes the client sends while an answer is
// going out are logged at once and queued for the next command.
#include "sim.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const size_t kMaxLine = 4096;       // longer command lines are cut, not grown
const size_t kMaxQueued = 1 << 20;  // stop reading (the client blocks) beyond this
const size_t kRepeatChunk = 65536;  // bytes per write() when sending `repeat`
const long kWritePollMs = 250;      // how long to wait for room in the pty at a time
const long kRetryMs = 20;           // pause after EIO and similar "not now" errors
const long kHangupQuietMs = 10;     // input queue empty this long: the client has read
const long kHangupPollMs = 2;
const long kStallMs = 5000;        // an answer nobody reads for this long is dropped
const long kHangupDrainMs = 1000;  // how long a hangup waits for the client to read

struct Simulator {
    const Profile* profile;
    int master;
    int slave;
    int log_fd;
    int wake_fd;
    bool echo;
    std::string line;   // the command being typed, without CR and LF
    std::string input;  // received but not yet processed, from input_pos on
    size_t input_pos;
    long commands;         // CR-terminated lines handled so far
    bool stop;             // a signal asked us to exit
    bool hangup;           // the device must vanish after the current answer
    long next_report_ms;   // when the report clock sends next
    size_t clock_index;    // next of the profile's clock_reports
    size_t command_index;  // next of the profile's command_reports
    Rule ok_rule;          // built-in answers
    Rule error_rule;
};

long NowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return long(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

size_t QueuedBytes(const Simulator* sim) { return sim->input.size() - sim->input_pos; }

// After silent-after N commands the modem has hung: it still takes bytes
// (they are logged) but sends nothing, no echo, no answer, no report.
bool HasFallenSilent(const Simulator* sim) {
    return sim->profile->silent_after > 0 && sim->commands >= sim->profile->silent_after;
}

void AppendToLog(Simulator* sim, const char* data, size_t len) {
    while (len > 0 && sim->log_fd >= 0) {
        ssize_t n = write(sim->log_fd, data, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::fprintf(stderr, "modem-sim: writing the log failed (%s); logging stops\n",
                         std::strerror(errno));
            sim->log_fd = -1;
            return;
        }
        data += n;
        len -= size_t(n);
    }
}

// Moves whatever the client has sent into the queue. Returns bytes read.
size_t ReadClient(Simulator* sim) {
    size_t total = 0;
    char buf[4096];
    while (QueuedBytes(sim) < kMaxQueued) {
        size_t room = std::min(sizeof buf, kMaxQueued - QueuedBytes(sim));
        ssize_t n = read(sim->master, buf, room);
        if (n < 0 && errno == EINTR) continue;
        // EAGAIN: all read. EIO: no slave is open (cannot happen while we
        // hold ours, but costs nothing to survive).
        if (n <= 0) break;
        AppendToLog(sim, buf, size_t(n));
        if (sim->input_pos == sim->input.size()) {
            sim->input.clear();
            sim->input_pos = 0;
        } else if (sim->input_pos > kMaxQueued) {
            sim->input.erase(0, sim->input_pos);
            sim->input_pos = 0;
        }
        sim->input.append(buf, size_t(n));
        total += size_t(n);
    }
    return total;
}

// Waits up to timeout_ms (-1: no limit) for input, for room to write (if
// want_write), or for the stop signal. Input is read into the queue.
void PollClient(Simulator* sim, bool want_write, long timeout_ms) {
    struct pollfd fds[2];
    fds[0].fd = sim->master;
    fds[0].events = short((QueuedBytes(sim) < kMaxQueued ? POLLIN : 0) | (want_write ? POLLOUT : 0));
    fds[0].revents = 0;
    fds[1].fd = sim->wake_fd;
    fds[1].events = POLLIN;
    fds[1].revents = 0;
    int timeout = timeout_ms < 0 ? -1 : int(std::min(timeout_ms, 1000000L));
    int r = poll(fds, 2, timeout);
    if (r <= 0) return;  // timeout or EINTR; the caller looks at the clock
    if (fds[1].revents) sim->stop = true;
    size_t got = 0;
    if (fds[0].revents & POLLIN) got = ReadClient(sim);
    // POLLHUP without data means no slave is open; poll() would return at
    // once forever, so sleep a little instead of spinning.
    if ((fds[0].revents & (POLLHUP | POLLERR)) && got == 0 && !sim->stop) {
        long nap = timeout_ms < 0 ? kRetryMs : std::min(timeout_ms, kRetryMs);
        poll(&fds[1], 1, int(nap));
    }
}

// The report clock: sends the report that is due, if any, and returns how
// long until the next one (-1: no clock). A real port drops what nobody
// collects, so a report that finds the pty full is dropped rather than
// waited for: with no client on the port the clock must not stall answers.
long SendDueReport(Simulator* sim) {
    const Profile& profile = *sim->profile;
    if (profile.report_every_ms <= 0) return -1;
    long now = NowMs();
    if (HasFallenSilent(sim)) return -1;
    if (now >= sim->next_report_ms) {
        const std::string& text = profile.clock_reports[sim->clock_index];
        sim->clock_index = (sim->clock_index + 1) % profile.clock_reports.size();
        ssize_t n = write(sim->master, text.data(), text.size());
        (void)n;
        sim->next_report_ms += profile.report_every_ms;
        if (sim->next_report_ms <= now) sim->next_report_ms = now + profile.report_every_ms;
    }
    return sim->next_report_ms - now;
}

// The shorter of two poll timeouts, -1 meaning none.
long SoonerMs(long a, long b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

void WaitMs(Simulator* sim, long ms) {
    long deadline = NowMs() + ms;
    while (!sim->stop) {
        long until_report = SendDueReport(sim);
        long left = deadline - NowMs();
        if (left <= 0) break;
        PollClient(sim, false, SoonerMs(left, until_report));
    }
}

// Writes all of data to the client. A pty holds only a few kilobytes (about
// 20 KB on Linux), so a long answer to a slow reader fills it: write() then
// gives EAGAIN and we wait for POLLOUT. If nobody reads for kStallMs (the
// client closed the port mid-answer), the rest is dropped and the port's
// queue flushed, as a real port loses data nobody collects; otherwise the
// next client to open the port would get this stale answer.
bool WriteClient(Simulator* sim, const char* data, size_t len) {
    long last_progress = NowMs();
    size_t done = 0;
    while (done < len) {
        if (sim->stop) return false;
        ssize_t n = write(sim->master, data + done, len - done);
        if (n > 0) {
            done += size_t(n);
            last_progress = NowMs();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (NowMs() - last_progress >= kStallMs) {
            std::fprintf(stderr,
                         "modem-sim: nobody read the port for %ld ms, dropping %zu unsent "
                         "bytes and flushing the port\n",
                         kStallMs, len - done);
            tcflush(sim->slave, TCIFLUSH);
            return false;
        }
        // EAGAIN means full; anything else (EIO) means "not now": the
        // client side is gone for the moment, retry a bit later.
        bool full = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (full)
            PollClient(sim, true, kWritePollMs);
        else
            WaitMs(sim, kRetryMs);
    }
    return true;
}

// Sends one text action, a byte every `drip` ms when that is not 0.
// `first` tells whether any byte of this answer has gone out yet, so drip
// pauses fall only between bytes.
bool SendText(Simulator* sim, const Action& action, long drip, bool* first) {
    const std::string& text = action.text;
    if (text.empty()) return true;
    if (drip > 0) {
        for (long i = 0; i < action.count; ++i) {
            for (char c : text) {
                if (!*first) WaitMs(sim, drip);
                *first = false;
                if (!WriteClient(sim, &c, 1)) return false;
            }
        }
        return true;
    }
    *first = false;
    if (action.count == 1) return WriteClient(sim, text.data(), text.size());

    // `repeat`: write many copies per call rather than one write per copy.
    long per_chunk = long(std::max<size_t>(1, kRepeatChunk / text.size()));
    per_chunk = std::min(per_chunk, action.count);
    std::string chunk;
    chunk.reserve(size_t(per_chunk) * text.size());
    for (long i = 0; i < per_chunk; ++i) chunk += text;
    for (long left = action.count; left > 0;) {
        long copies = std::min(left, per_chunk);
        if (!WriteClient(sim, chunk.data(), size_t(copies) * text.size())) return false;
        left -= copies;
    }
    return true;
}

void SendAnswer(Simulator* sim, const Rule& rule) {
    if (rule.actions.empty()) return;  // silent: no delay either
    if (sim->profile->delay_ms > 0) WaitMs(sim, sim->profile->delay_ms);
    bool first = true;
    long drip = sim->profile->drip_ms;
    for (const Action& action : rule.actions) {
        if (sim->stop) return;
        switch (action.kind) {
            case ACTION_TEXT:
                if (!SendText(sim, action, drip, &first)) return;
                break;
            case ACTION_WAIT: WaitMs(sim, action.ms); break;
            case ACTION_DRIP: drip = action.ms; break;
            case ACTION_HANGUP: sim->hangup = true; return;
        }
    }
}

// ATE0 / ATE1, any case. Returns false for every other command.
bool IsEchoCommand(const std::string& command, bool* on) {
    if (SameCommand(command, "ATE0")) {
        *on = false;
        return true;
    }
    if (SameCommand(command, "ATE1")) {
        *on = true;
        return true;
    }
    return false;
}

void HandleCommand(Simulator* sim) {
    const Profile& profile = *sim->profile;
    if (HasFallenSilent(sim)) {
        ++sim->commands;
        return;
    }
    const std::string& command = sim->line;
    const Rule* rule = FindRule(profile, command);
    bool echo_on = false;
    if (IsEchoCommand(command, &echo_on)) {
        if (!profile.echo_locked) sim->echo = echo_on;
        if (!rule) rule = &sim->ok_rule;
    } else if (!rule && !command.empty()) {
        rule = FindRule(profile, "*");
        if (!rule) rule = &sim->error_rule;
    }
    // The firmware's report for a command goes out at once, before the
    // think time (delay) and the answer.
    if (!command.empty() && !profile.command_reports.empty()) {
        const std::string& text = profile.command_reports[sim->command_index];
        sim->command_index = (sim->command_index + 1) % profile.command_reports.size();
        WriteClient(sim, text.data(), text.size());
    }
    // An empty line without its own rule gets nothing, like a real modem.
    if (rule) SendAnswer(sim, *rule);
    ++sim->commands;
    if (profile.disconnect_after > 0 && sim->commands >= profile.disconnect_after) sim->hangup = true;
}

// Works through the queue one command at a time. The echo is produced here
// rather than when bytes arrive, so that after "ATE0\rATI\r" sent in one go
// "ATI" is not echoed, and echoed bytes never land inside an answer.
void ProcessInput(Simulator* sim) {
    std::string echo_bytes;
    while (QueuedBytes(sim) > 0 && !sim->stop && !sim->hangup) {
        const char* p = sim->input.data() + sim->input_pos;
        size_t queued = QueuedBytes(sim);
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', queued));
        size_t take = cr ? size_t(cr - p) + 1 : queued;
        echo_bytes.clear();
        for (size_t i = 0; i < take; ++i) {
            char c = p[i];
            if (c == '\n') continue;
            if (sim->echo && !HasFallenSilent(sim)) echo_bytes.push_back(c);
            if (c != '\r' && sim->line.size() < kMaxLine) sim->line.push_back(c);
        }
        // From here on p may dangle: writing and waiting read more input.
        sim->input_pos += take;
        if (!echo_bytes.empty()) WriteClient(sim, echo_bytes.data(), echo_bytes.size());
        if (cr) {
            HandleCommand(sim);
            sim->line.clear();
        }
    }
}

// Closing the master makes the client's next read return end-of-file at
// once, and whatever it had not read yet is thrown away. So before hanging
// up, give the client a moment to collect the last answer: wait until the
// port's input queue has stayed empty for a short while.
void WaitForClientToRead(Simulator* sim) {
    long deadline = NowMs() + kHangupDrainMs;
    long empty_since = -1;
    while (!sim->stop) {
        long now = NowMs();
        if (now >= deadline) break;
        int queued = 0;
        if (ioctl(sim->slave, FIONREAD, &queued) != 0) break;
        // FIONREAD counts only what already reached the line discipline;
        // fresh bytes may still sit in the pty's buffers for a moment, so a
        // single zero is not trusted.
        // The quiet period must stay well below the 50 ms after which a
        // client's read ends and it sends its next command: a command that
        // arrives before the hang-up finds the port still there.
        if (queued == 0) {
            if (empty_since < 0)
                empty_since = now;
            else if (now - empty_since >= kHangupQuietMs)
                break;
        } else {
            empty_since = -1;
        }
        PollClient(sim, false, kHangupPollMs);
    }
}

Rule MakeTextRule(const char* text) {
    Rule rule;
    rule.command = "";
    rule.line = 0;
    rule.actions.push_back(Action{ACTION_TEXT, std::string(text), 1, 0});
    return rule;
}

}  // namespace

SimEnd RunSimulator(const SimSetup& setup) {
    Simulator sim;
    sim.profile = setup.profile;
    sim.master = setup.master;
    sim.slave = setup.slave;
    sim.log_fd = setup.log_fd;
    sim.wake_fd = setup.wake_fd;
    sim.echo = setup.profile->echo;
    sim.input_pos = 0;
    sim.commands = 0;
    sim.stop = false;
    sim.hangup = false;
    sim.next_report_ms = NowMs() + setup.profile->report_every_ms;
    sim.clock_index = 0;
    sim.command_index = 0;
    sim.ok_rule = MakeTextRule("\r\nOK\r\n");
    sim.error_rule = MakeTextRule("\r\nERROR\r\n");
    sim.line.reserve(kMaxLine);

    while (!sim.stop && !sim.hangup) {
        long until_report = SendDueReport(&sim);
        if (QueuedBytes(&sim) > 0)
            ProcessInput(&sim);
        else
            PollClient(&sim, false, until_report);
    }
    if (sim.stop) return SIM_STOPPED;
    WaitForClientToRead(&sim);
    return SIM_HUNG_UP;
}
