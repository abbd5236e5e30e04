// Profile of a simulated modem: the echo and timing settings and the rules
// that say how the modem answers each AT command. ParseProfile reads the
// line-oriented profile file described in README.md.
#pragma once

#include <string>
#include <vector>

enum ActionKind {
    ACTION_TEXT,    // send `text`, `count` times in a row
    ACTION_WAIT,    // pause `ms` milliseconds inside the answer
    ACTION_HANGUP,  // close the device, as if the modem was unplugged
    ACTION_DRIP,    // send the rest of the answer a byte every `ms` milliseconds
};

struct Action {
    ActionKind kind;
    std::string text;  // ACTION_TEXT: raw bytes, may contain NUL
    long count;        // ACTION_TEXT: 1, or N for `repeat N "text"`
    long ms;           // ACTION_WAIT, ACTION_DRIP
};

struct Rule {
    std::string command;          // "*" is the fallback, "" the empty line
    std::vector<Action> actions;  // no actions: the modem stays silent
    int line;                     // where the rule starts in the file
};

struct Profile {
    bool echo;              // echo state at power-up
    bool echo_locked;       // ATE0/ATE1 answer but do not change the echo
    long delay_ms;          // pause before every answer
    long drip_ms;           // pause between answer bytes, 0 = no dripping
    long disconnect_after;  // hang up after this many commands, 0 = never
    long silent_after;      // send nothing more after this many commands, 0 = never
    // Unsolicited reports: sent every report_every_ms from clock_reports, in
    // turn (0 = no clock), and one from command_reports, in turn, the moment
    // a command arrives (before the delay and the answer).
    long report_every_ms;
    std::vector<std::string> clock_reports;
    std::vector<std::string> command_reports;
    std::vector<Rule> rules;
};

// Reads and checks the whole profile. On failure returns false and puts a
// "FILE:LINE: what is wrong" message into *error.
bool ParseProfile(const char* path, Profile* profile, std::string* error);

// The rule whose command equals `command` ignoring ASCII case, or nullptr.
// Only exact matches: the fallback "*" is looked up by the caller.
const Rule* FindRule(const Profile& profile, const std::string& command);

// ASCII case-insensitive comparison of whole commands (NUL bytes included).
bool SameCommand(const std::string& a, const std::string& b);
