// The platform's own GET (libcurl natively, WinHTTP under wine) against a
// small web server of the test's own on 127.0.0.1: what of a stick's text
// goes into the request's headers, which cookie is kept from a long
// Set-Cookie, that a redirect is not followed, and that a stick dribbling
// its answer cannot hold a report past its bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using Socket = SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using Socket = int;
void CloseSocket(Socket s) { close(s); }
#endif

#include "report/router_query.h"
#include "web/web_client.h"

namespace {

// Answers every request with reply, or with dribble, gives the session
// after 1.5 s and then a body byte every 300 ms of each document.
struct LoopbackServer {
  Socket listener;
  uint16_t port;
  std::string reply;
  bool dribble;
  std::atomic<bool> stop{false};
  std::string lastRequest;  // read after StopServer has joined the thread
  std::thread thread;
};

bool WaitReadable(Socket s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait = {0, ms * 1000};
  return select(static_cast<int>(s + 1), &set, nullptr, nullptr, &wait) > 0;
}

void Serve(LoopbackServer* server, Socket client) {
  std::string request;
  char chunk[2048];
  while (request.find("\r\n\r\n") == std::string::npos && !server->stop) {
    if (!WaitReadable(client, 50)) continue;
    const int got = recv(client, chunk, sizeof chunk, 0);
    if (got <= 0) break;
    request.append(chunk, static_cast<size_t>(got));
  }
  server->lastRequest = request;
  if (server->dribble && request.find("GET /api/webserver/SesTokInfo ") == 0) {
    // A slow handshake, so that the documents start with less than a
    // request's own time left of the report's.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const char session[] =
        "HTTP/1.1 200 OK\r\nContent-Length: 73\r\nConnection: close\r\n\r\n"
        "<response><SesInfo>SessionID=a1</SesInfo><TokInfo>t1</TokInfo></response>";
    send(client, session, static_cast<int>(sizeof session - 1), 0);
  } else if (!server->dribble) {
    send(client, server->reply.data(), static_cast<int>(server->reply.size()), 0);
  } else {
    const char head[] = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100000\r\n\r\n<";
    send(client, head, static_cast<int>(sizeof head - 1), 0);
    // 6 s of it at most: a client that would wait for it all fails the test
    // instead of hanging it.
    for (int sent = 0; sent < 20 && !server->stop && send(client, "r", 1, 0) == 1; ++sent)
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  CloseSocket(client);
}

void StartServer(LoopbackServer* server, const std::string& reply, bool dribble) {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
#endif
  server->reply = reply;
  server->dribble = dribble;
  server->listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ASSERT_EQ(bind(server->listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(server->listener, 8), 0);
  socklen_t size = sizeof address;
  getsockname(server->listener, reinterpret_cast<sockaddr*>(&address), &size);
  server->port = ntohs(address.sin_port);
  // One client at a time: the report asks one document after another.
  server->thread = std::thread([server] {
    while (!server->stop)
      if (WaitReadable(server->listener, 50)) Serve(server, accept(server->listener, nullptr, nullptr));
  });
}

void StopServer(LoopbackServer* server) {
  server->stop = true;
  server->thread.join();
  CloseSocket(server->listener);
}

WebFetchStatus Get(const LoopbackServer& server, const char* cookie, const char* token, WebReply* reply) {
  static char body[4096];
  const WebRequest request = {"127.0.0.1", server.port, "/api/device/information", cookie, token, 1000, 2000};
  return FetchWebPage(request, body, sizeof body, reply);
}

// The value of the request's header line of that name; "-" when it has none.
std::string HeaderOf(const std::string& request, const std::string& name) {
  const size_t at = request.find("\r\n" + name + ": ");
  if (at == std::string::npos) return "-";
  const size_t from = at + name.size() + 4;
  return request.substr(from, request.find("\r\n", from) - from);
}

TEST(WebFetch, NoHeaderLinesAddedTheCookieKeptNoRedirectFollowed) {
  const std::string kLong(400, 'v');
  const struct {
    const char *cookie, *token, *sentCookie, *sentToken;
    std::string setCookie, kept;
    const char* status = "200 OK";
  } cases[] = {
      {"SessionID=a1", "t1", "SessionID=a1", "t1", "SessionID=abc; path=/", "SessionID=abc"},
      {"SessionID=a1\r\nX-Added: 1", "t1\r\nX-Added: 2", "SessionID=a1", "t1",
       "SessionID=abc; path=/; comment=" + kLong, "SessionID=abc"},
      {"SessionID=a1\nX-Added: 1", "t1\rX-Added: 2", "SessionID=a1", "t1", "SessionID=" + kLong,
       ("SessionID=" + kLong).substr(0, kWebCookieSize - 1)},
      {"SessionID=a1; X-Added=1", "t\t1", "SessionID=a1", "t", "", ""},
      {"\r\nX-Added: 1", "\nX-Added: 2", "-", "-", "", ""},  // nothing left: no header at all
      // A redirect is not followed: the report reads what the stick answers.
      {"", "", "-", "-", "", "", "302 Found\r\nLocation: /elsewhere"},
  };
  for (const auto& c : cases) {
    LoopbackServer server;
    const std::string head = std::string("HTTP/1.1 ") + c.status + "\r\n" +
                             (c.setCookie.empty() ? "" : "Set-Cookie: " + c.setCookie + "\r\n");
    StartServer(&server, head + "Content-Length: 11\r\n\r\n<response/>", false);
    WebReply reply;
    EXPECT_EQ(Get(server, c.cookie, c.token, &reply), kWebFetched);
    StopServer(&server);
    const std::string& sent = server.lastRequest;
    EXPECT_EQ(reply.httpStatus, std::atoi(c.status));
    EXPECT_EQ(sent.rfind("GET /api/device/information ", 0), 0u) << sent;
    EXPECT_EQ(sent.find("X-Added"), std::string::npos) << sent;
    EXPECT_EQ(HeaderOf(sent, "Cookie"), c.sentCookie) << sent;
    EXPECT_EQ(HeaderOf(sent, "__RequestVerificationToken"), c.sentToken) << sent;
    EXPECT_EQ(std::string(reply.setCookie), c.kept) << c.setCookie;
  }
}

// The handshake takes 1.5 s and the first document's body comes a byte
// every 300 ms: its request gets the 1.5 s the report has left, not its own
// 2 s, and the report ends within its bound.
TEST(WebFetch, ADribblingStickEndsTheReportInTime) {
  LoopbackServer server;
  StartServer(&server, "", true);
  RouterAddress address = {};
  std::snprintf(address.host, sizeof address.host, "127.0.0.1");
  address.port = server.port;
  RouterQueryResult result;
  const auto start = std::chrono::steady_clock::now();
  QueryRouterAt(address, &result);
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  StopServer(&server);
  RecordProperty("reportMs", static_cast<int>(elapsed));
  EXPECT_EQ(result.outcome, kRouterNoAnswer);
  EXPECT_LE(elapsed, static_cast<long long>(kRouterReportBudgetMs) + 200);
}

}  // namespace
