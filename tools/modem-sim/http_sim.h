// modem-sim's HTTP mode: a simulated stick on router firmware. It listens on
// 127.0.0.1 only, on a port the system picks, and answers GET requests from
// a router profile (*.router, see README.md): recorded XML documents, the
// session handshake, the web interface's error codes.
#pragma once

#include <string>
#include <vector>

struct RouterReply {
    std::string path;  // "/api/device/information"
    int status;        // HTTP status, 200 unless the profile says otherwise
    std::string body;
    int line;
};

enum RouterSessionRule {
    SESSION_NONE,        // every document answers without a session
    SESSION_SESTOKINFO,  // cookie + token from /api/webserver/SesTokInfo, else 125002
    SESSION_START_PAGE,  // no SesTokInfo: the token in the start page, the cookie it sets
};

struct RouterProfile {
    RouterSessionRule session;
    long session_documents;  // a session serves this many documents, 0 = no end
    bool silent;             // accepts connections and never answers
    long silent_after;       // answers this many requests, then as `silent`; 0 = never
    std::vector<RouterReply> replies;
};

// Reads the whole router profile; false with "FILE:LINE: what" in *error.
bool ParseRouterProfile(const char* path, RouterProfile* profile, std::string* error);

// Serves until a byte arrives on wake_fd. Prints "http://127.0.0.1:PORT" on
// stdout once it listens. Every request line goes to log_fd (when >= 0) with
// whether it carried the cookie and the token. Returns the exit status.
int RunHttpSimulator(const RouterProfile& profile, int log_fd, int wake_fd);
