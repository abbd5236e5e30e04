// The router report's sequence: handshake, the documents in kRouterPaths
// order, each walked into the rows (router_rows.cpp).
#include "report/router_query.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/app_state.h"
#include "base/bounded_text.h"
#include "report/report_rows.h"
#include "report/router_rows.h"
#include "web/web_client.h"

namespace {

using Clock = std::chrono::steady_clock;

struct RouterSession {
  const RouterAddress* address;
  Clock::time_point deadline;
  char cookie[kWebCookieSize];
  char token[kWebCookieSize];
};

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

uint32_t RemainingMs(const RouterSession& session) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(session.deadline - Clock::now()).count();
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

// One GET within what is left of the report's time; the body lands in
// ReceiveBuffer, as a modem's reply does.
WebFetchStatus Fetch(const RouterSession& session, const char* path, WebReply* reply) {
  const uint32_t left = RemainingMs(session);
  if (left == 0) return kWebTimedOut;
  const uint32_t total = left < kRouterRequestTimeoutMs ? left : kRouterRequestTimeoutMs;
  const WebRequest request = {session.address->host,
                              session.address->port,
                              path,
                              session.cookie,
                              session.token,
                              total < kRouterConnectTimeoutMs ? total : kRouterConnectTimeoutMs,
                              total};
  const WebFetchStatus status = FetchWebPage(request, g_App.ReceiveBuffer, kTextBufferSize, reply);
  if (g_App.WebTraceSink != nullptr && status == kWebFetched)
    g_App.WebTraceSink(path, reply->httpStatus, g_App.ReceiveBuffer, static_cast<uint32_t>(reply->length));
  return status;
}

// /api/webserver/SesTokInfo: <SesInfo>SessionID=...</SesInfo><TokInfo>...
void TakeSessionElement(void* context, int32_t depth, const char* name, const char* text, size_t) {
  RouterSession* session = static_cast<RouterSession*>(context);
  if (depth != 1) return;
  if (std::string_view(name) == "SesInfo") CopyText(session->cookie, sizeof session->cookie, text);
  if (std::string_view(name) == "TokInfo") CopyText(session->token, sizeof session->token, text);
}

// Older firmware has no SesTokInfo: its start page carries the token as
// <meta name="csrf_token" content="..."> and sets the session cookie.
void TakeStartPageToken(RouterSession* session) {
  constexpr std::string_view kMarker = "name=\"csrf_token\" content=\"";
  const char* at = std::strstr(g_App.ReceiveBuffer, kMarker.data());
  if (at == nullptr) return;
  at += kMarker.size();
  const char* end = std::strchr(at, '"');
  if (end == nullptr) return;
  const size_t length = static_cast<size_t>(end - at);
  if (length >= sizeof session->token) return;
  std::memcpy(session->token, at, length);
  session->token[length] = '\0';
}

// The cookie and token the stick asks for. The status of the last request:
// kWebFetched when the stick answered at all.
WebFetchStatus Handshake(RouterSession* session) {
  session->cookie[0] = '\0';
  session->token[0] = '\0';
  WebReply reply;
  WebFetchStatus status = Fetch(*session, "/api/webserver/SesTokInfo", &reply);
  if (status != kWebFetched) return status;
  if (reply.httpStatus == 200)
    WalkXmlDocument(g_App.ReceiveBuffer, reply.length, TakeSessionElement, session);
  if (session->cookie[0] != '\0' || session->token[0] != '\0') return kWebFetched;
  status = Fetch(*session, "/", &reply);
  if (status != kWebFetched) return status;
  TakeStartPageToken(session);
  CopyText(session->cookie, sizeof session->cookie, reply.setCookie);
  return kWebFetched;
}

void TakeDocumentElement(void* context, int32_t depth, const char* name, const char* text, size_t length) {
  TakeRouterElement(static_cast<RouterDocument*>(context), depth, name, text, length);
}

// Each outcome's texts; the numbers they fill in are the outcome's own
// (see DescribeRouterOutcome), the command line's always after the address.
struct RouterOutcomeText {
  RouterOutcome outcome;
  bool rowsShown, failed;
  const char* window;
  const char* cli;
};
constexpr RouterOutcomeText kRouterOutcomeTexts[] = {
    {kRouterNoAnswer, false, true,
     "Модем не ответил по своему адресу за 3 секунды: он отключён или не в режиме роутера.",
     "no answer from %s (gave up after %.1f s): the stick is not there, or not in router mode"},
    {kRouterNotWebInterface, false, true, "По адресу модема ответил не веб-интерфейс модема.",
     "%s answered, but not as a stick's web interface"},
    {kRouterSessionRefused, false, true, "Модем отказал в сеансе веб-интерфейса.",
     "%s refused the session after a fresh handshake"},
    {kRouterCut, true, true,
     "Модем перестал отвечать после %d из %d документов: показано то, что он успел отдать.",
     "the stick at %s stopped answering after %d of %d documents"},
    {kRouterHttpError, true, true,
     "Модем ответил ошибкой %d на запрос %s: показано то, что он отдал без ошибки.",
     "the stick at %s answered %d to %s; the rows show the documents it gave"},
    {kRouterLoginRequired, true, false,
     "Модем просит пароль своего веб-интерфейса: показано то, что он отдаёт без входа.",
     "the stick at %s asks for its web password for some of its pages; the rows show what it gave without "
     "one"},
};

}  // namespace

bool RouterAddressFromEntry(const char* entry, RouterAddress* address) {
  const char* open = std::strrchr(entry, '(');
  if (open == nullptr || open[1] < '0' || open[1] > '9') return false;
  char inside[kRouterHostSize + 8];
  CopyText(inside, sizeof inside, open + 1);
  char* close = std::strchr(inside, ')');
  if (close == nullptr || close[1] != '\0') return false;
  *close = '\0';
  for (const char* p = inside; *p != '\0' && *p != ':'; ++p)
    if ((*p < '0' || *p > '9') && *p != '.') return false;
  return ParseRouterAddress(inside, address);
}

bool IsRouterUrl(const char* text) { return std::strncmp(text, "http://", 7) == 0; }

bool ParseRouterAddress(const char* text, RouterAddress* address) {
  std::memset(address, 0, sizeof *address);
  if (IsRouterUrl(text)) text += 7;
  size_t length = 0;
  while (IsHostCharacter(text[length])) ++length;
  if (length == 0 || length >= sizeof address->host) return false;
  std::memcpy(address->host, text, length);
  const char* rest = text + length;
  uint32_t port = 80;
  if (*rest == ':') {
    ++rest;
    port = 0;
    if (*rest < '0' || *rest > '9') return false;
    while (*rest >= '0' && *rest <= '9' && port <= 65535)
      port = port * 10 + static_cast<uint32_t>(*rest++ - '0');
    if (port == 0 || port > 65535) return false;
  }
  if (*rest == '/') ++rest;
  if (*rest != '\0') return false;
  address->port = static_cast<uint16_t>(port);
  return true;
}

void QueryRouterAt(const RouterAddress& address, RouterQueryResult* result) {
  const Clock::time_point start = Clock::now();
  *result = {kRouterRead, 0, 0, 0, 0};
  ClearRowValues();
  static RouterSession session;
  session = RouterSession{};
  session.address = &address;
  session.deadline = start + std::chrono::milliseconds(kRouterReportBudgetMs);

  WebFetchStatus status = Handshake(&session);
  bool freshHandshakeDone = false;
  bool anyWebDocument = false;
  for (int32_t path = 0; path < kRouterPathCount && status == kWebFetched; ++path) {
    WebReply reply;
    status = Fetch(session, kRouterPaths[path], &reply);
    if (status != kWebFetched) break;
    // A body that came with an error status (a 500 page, a 401 login
    // form) is the web server's, not the stick's answer: it gives no rows.
    if (reply.httpStatus != 200) {
      if (result->failedHttpStatus == 0 || result->failedHttpStatus == 404) {
        result->failedHttpStatus = reply.httpStatus;
        result->failedPath = path;
      }
      continue;
    }
    RouterDocument document;
    BeginRouterDocument(&document, static_cast<RouterPath>(path));
    if (!WalkXmlDocument(g_App.ReceiveBuffer, reply.length, TakeDocumentElement, &document)) continue;
    anyWebDocument = true;
    switch (document.errorCode) {
      case 0: ++result->documentsRead; break;
      case kWebErrorLoginRequired: result->outcome = kRouterLoginRequired; break;
      case kWebErrorSession:
      case kWebErrorToken:
        // The session ran out or the token was spent: one fresh handshake
        // and the same document again, then give up.
        if (freshHandshakeDone) {
          result->outcome = kRouterSessionRefused;
          path = kRouterPathCount;
          break;
        }
        freshHandshakeDone = true;
        status = Handshake(&session);
        --path;
        break;
      default:  // 100002 (not supported) and the rest: the rows stay empty
        break;
    }
  }
  // Nothing but 404s from an address that gave no document is another web
  // server, not a stick with a fault.
  const bool httpError = result->failedHttpStatus != 0 && (anyWebDocument || result->failedHttpStatus != 404);
  if (status != kWebFetched)
    result->outcome = kRouterNoAnswer;
  else if (httpError && result->outcome != kRouterSessionRefused)
    result->outcome = kRouterHttpError;
  else if (!anyWebDocument)
    result->outcome = kRouterNotWebInterface;
  // A stick that gave some documents and then no more is not a dead
  // address: the rows it gave stay, and the report says it was cut short.
  if ((result->outcome == kRouterNoAnswer || result->outcome == kRouterSessionRefused) &&
      result->documentsRead > 0)
    result->outcome = kRouterCut;
  FinishRouterRows();
  result->elapsedMs = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool DescribeRouterOutcome(const RouterQueryResult& result, bool cli, const char* url, char* text,
                           size_t textSize, bool* rowsShown, bool* failed) {
  CopyText(text, textSize, "");
  *rowsShown = true;
  *failed = false;
  for (const RouterOutcomeText& outcome : kRouterOutcomeTexts) {
    if (outcome.outcome != result.outcome) continue;
    *rowsShown = outcome.rowsShown;
    *failed = outcome.failed;
    const char* const format = cli ? outcome.cli : outcome.window;
    const int documents = static_cast<int>(result.documentsRead), paths = static_cast<int>(kRouterPathCount),
              status = static_cast<int>(result.failedHttpStatus);
    if (result.outcome == kRouterNoAnswer && cli)
      std::snprintf(text, textSize, format, url, result.elapsedMs / 1000.0);
    else if (result.outcome == kRouterCut)
      cli ? std::snprintf(text, textSize, format, url, documents, paths)
          : std::snprintf(text, textSize, format, documents, paths);
    else if (result.outcome == kRouterHttpError)
      cli ? std::snprintf(text, textSize, format, url, status, kRouterPaths[result.failedPath])
          : std::snprintf(text, textSize, format, status, kRouterPaths[result.failedPath]);
    else if (cli)
      std::snprintf(text, textSize, format, url);
    else
      CopyText(text, textSize, format);
    return true;
  }
  return false;
}
