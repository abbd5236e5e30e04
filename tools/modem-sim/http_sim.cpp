// The HTTP mode: a loopback listener that answers one request per
// connection from a router profile. Nothing here ever connects anywhere:
// the socket is bound to 127.0.0.1 and only accepts.
#include "http_sim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

// The value of header `name` (lower case) in the request head, or "".
std::string HeaderValue(const std::string& head, const char* name) {
    std::istringstream lines(head);
    std::string line;
    const std::string wanted = std::string(name) + ":";
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Lower(line.substr(0, wanted.size())) != wanted) continue;
        size_t start = wanted.size();
        while (start < line.size() && line[start] == ' ') ++start;
        return line.substr(start);
    }
    return "";
}

std::string ErrorDocument(int code) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<error>\r\n<code>" + std::to_string(code) +
           "</code>\r\n<message></message>\r\n</error>\r\n";
}

struct Session {
    long number;  // 0: none handed out yet
    long documents_left;
};

std::string CookieOf(const Session& session) {
    return "SessionID=sim" + std::to_string(session.number) + "cookie";
}
std::string TokenOf(const Session& session) { return "simtoken" + std::to_string(session.number); }

void NewSession(const RouterProfile& profile, Session* session) {
    ++session->number;
    session->documents_left = profile.session_documents;
}

struct Answer {
    int status;
    std::string body;
    std::string set_cookie;
};

Answer AnswerRequest(const RouterProfile& profile, Session* session, const std::string& path,
                     const std::string& cookie, const std::string& token) {
    const bool handshake_path = path == "/api/webserver/SesTokInfo" || path == "/";
    if (profile.session == SESSION_SESTOKINFO && path == "/api/webserver/SesTokInfo") {
        NewSession(profile, session);
        return {200,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<response>\r\n<SesInfo>" + CookieOf(*session) +
                    "</SesInfo>\r\n<TokInfo>" + TokenOf(*session) + "</TokInfo>\r\n</response>\r\n",
                ""};
    }
    if (profile.session == SESSION_START_PAGE && path == "/") {
        NewSession(profile, session);
        return {200,
                "<!DOCTYPE html>\r\n<html><head><meta name=\"csrf_token\" content=\"" + TokenOf(*session) +
                    "\"/></head><body></body></html>\r\n",
                CookieOf(*session) + "; path=/; HttpOnly"};
    }
    if (profile.session != SESSION_NONE && !handshake_path) {
        const bool valid = session->number > 0 && cookie == CookieOf(*session) &&
                           token == TokenOf(*session) &&
                           (profile.session_documents == 0 || session->documents_left > 0);
        if (!valid) return {200, ErrorDocument(125002), ""};
        if (profile.session_documents > 0) --session->documents_left;
    }
    for (const RouterReply& reply : profile.replies)
        if (reply.path == path) return {reply.status, reply.body, ""};
    return {404, "<html><body>404 Not Found</body></html>\r\n", ""};
}

const char* StatusText(int status) {
    switch (status) {
        case 200: return "OK";
        case 404: return "Not Found";
        default: return "Status";
    }
}

// Reads the request head (up to the blank line, 8 KB, 2 s at most).
bool ReadHead(int fd, std::string* head) {
    char buffer[2048];
    while (head->find("\r\n\r\n") == std::string::npos && head->size() < 8192) {
        pollfd wait = {fd, POLLIN, 0};
        if (poll(&wait, 1, 2000) <= 0) return false;
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) return false;
        head->append(buffer, static_cast<size_t>(got));
    }
    return true;
}

void WriteAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + sent, bytes.size() - sent);
        if (count <= 0) return;
        sent += static_cast<size_t>(count);
    }
}

void Serve(const RouterProfile& profile, Session* session, int fd, int log_fd) {
    std::string head;
    if (!ReadHead(fd, &head)) return;
    std::string method, path;
    std::istringstream first(head.substr(0, head.find("\r\n")));
    first >> method >> path;
    const std::string cookie = HeaderValue(head, "cookie");
    const std::string token = HeaderValue(head, "__requestverificationtoken");
    if (log_fd >= 0) {
        const std::string line = method + " " + path + " cookie=" + (cookie.empty() ? "no" : "yes") +
                                 " token=" + (token.empty() ? "no" : "yes") + "\n";
        WriteAll(log_fd, line);
    }
    // The stick's interface is read, never written: anything but GET is
    // refused, as the report never sends it.
    const Answer answer =
        method == "GET" ? AnswerRequest(profile, session, path, cookie, token) : Answer{405, "", ""};
    std::string reply =
        "HTTP/1.1 " + std::to_string(answer.status) + " " + StatusText(answer.status) +
        "\r\nContent-Type: text/xml; charset=UTF-8\r\nContent-Length: " + std::to_string(answer.body.size()) +
        "\r\n";
    if (!answer.set_cookie.empty()) reply += "Set-Cookie: " + answer.set_cookie + "\r\n";
    reply += "Connection: close\r\n\r\n" + answer.body;
    WriteAll(fd, reply);
}

}  // namespace

bool ParseRouterProfile(const char* path, RouterProfile* profile, std::string* error) {
    *profile = RouterProfile{SESSION_NONE, 0, false, 0, {}};
    std::ifstream in(path);
    if (!in) {
        *error = std::string(path) + ": cannot read";
        return false;
    }
    std::string line;
    int number = 0;
    RouterReply* open = nullptr;
    auto fail = [&](const std::string& what) {
        *error = std::string(path) + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (open != nullptr) {
            if (line == ".") {
                open = nullptr;
            } else {
                open->body += line + "\r\n";
            }
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "GET") {
            std::string reply_path;
            int status = 200;
            words >> reply_path;
            if (reply_path.empty() || reply_path[0] != '/') return fail("GET needs a path");
            std::string status_word;
            if (words >> status_word) {
                if (status_word != "status" || !(words >> status) || status < 100 || status > 599)
                    return fail("expected: GET PATH [status N]");
            }
            profile->replies.push_back({reply_path, status, "", number});
            open = &profile->replies.back();
        } else if (word == "session") {
            std::string how;
            words >> how;
            if (how == "sestokinfo")
                profile->session = SESSION_SESTOKINFO;
            else if (how == "start-page")
                profile->session = SESSION_START_PAGE;
            else
                return fail("session takes sestokinfo or start-page");
            std::string more;
            if (words >> more) {
                if (more != "documents" || !(words >> profile->session_documents) ||
                    profile->session_documents < 1)
                    return fail("expected: session HOW [documents N]");
            }
        } else if (word == "silent") {
            profile->silent = true;
        } else if (word == "silent-after") {
            if (!(words >> profile->silent_after) || profile->silent_after < 1)
                return fail("expected: silent-after N");
        } else {
            return fail("unknown directive " + word);
        }
    }
    if (open != nullptr) return fail("the reply of GET " + open->path + " has no closing '.' line");
    return true;
}

int RunHttpSimulator(const RouterProfile& profile, int log_fd, int wake_fd) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        std::fprintf(stderr, "modem-sim: socket: %s\n", std::strerror(errno));
        return 1;
    }
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // the system picks a free port
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "modem-sim: cannot listen on 127.0.0.1: %s\n", std::strerror(errno));
        close(listener);
        return 1;
    }
    std::printf("http://127.0.0.1:%u\n", static_cast<unsigned>(ntohs(address.sin_port)));
    std::fflush(stdout);

    Session session = {0, 0};
    std::vector<int> held;  // a silent stick's connections, kept open
    long answered = 0;
    for (;;) {
        pollfd waits[2] = {{listener, POLLIN, 0}, {wake_fd, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (waits[1].revents != 0) break;
        if (waits[0].revents == 0) continue;
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (profile.silent || (profile.silent_after > 0 && answered >= profile.silent_after)) {
            held.push_back(client);
            continue;
        }
        ++answered;
        Serve(profile, &session, client, log_fd);
        close(client);
    }
    for (int fd : held) close(fd);
    close(listener);
    return 0;
}
