// The GET of the web interface on Windows: WinHTTP, a system DLL.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/bounded_text.h"
#include "web/web_client.h"
#include "web/win32/utf16.h"

namespace {

// UTF-8 (or ASCII) text -> UTF-16, always terminated.
void Widen(const char* text, wchar_t* wide, int wideCount) {
  const int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, wideCount);
  if (count <= 0) wide[0] = L'\0';
  wide[wideCount - 1] = L'\0';
}

WebFetchStatus StatusOfError(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CONNECTION_ERROR: return kWebNoConnection;
    case ERROR_WINHTTP_TIMEOUT: return kWebTimedOut;
    default: return kWebBroken;
  }
}

// "SessionID=abc; path=/" -> "SessionID=abc". The header's size is asked
// first: a cookie with long attributes must not be lost to a short buffer.
void TakeSetCookie(HINTERNET request, WebReply* reply) {
  DWORD size = 0;
  DWORD index = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_SET_COOKIE, WINHTTP_HEADER_NAME_BY_INDEX,
                      WINHTTP_NO_OUTPUT_BUFFER, &size, &index);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return;
  std::vector<wchar_t> header(size / sizeof(wchar_t) + 1, L'\0');
  index = 0;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_SET_COOKIE, WINHTTP_HEADER_NAME_BY_INDEX, header.data(),
                           &size, &index))
    return;
  // Only the cookie itself is narrowed (no more of it than the reply keeps),
  // then checked as the Linux side checks it.
  uint32_t length = 0;
  while (header[length] != L'\0' && header[length] != L';' && length < 4 * kWebCookieSize) ++length;
  char narrow[4 * kWebCookieSize * 3 + 1];
  const size_t bytes = NarrowUtf16(header.data(), length, narrow, sizeof narrow);
  CleanHeaderValue(narrow, bytes, true, reply->setCookie, sizeof reply->setCookie);
}

// WinHTTP's receive time-outs bound each wait for the stick, not the
// request: before each wait they are set to what is left of the request's
// time, so a stick that dribbles its answer cannot hold the report past it.
bool LimitWaitToDeadline(HINTERNET request, ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  if (now >= deadline) return false;
  DWORD leftMs = static_cast<DWORD>(deadline - now);
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &leftMs, sizeof leftMs);
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &leftMs, sizeof leftMs);
  return true;
}

// The stick's cookie or token as a header line, "" when it has none.
void AddHeader(const wchar_t* name, const char* value, bool isCookie, wchar_t* headers, size_t headersCount) {
  char clean[kWebCookieSize];
  if (CleanHeaderValue(value, std::strlen(value), isCookie, clean, sizeof clean) == 0) return;
  wchar_t wide[kWebCookieSize];
  Widen(clean, wide, kWebCookieSize);
  const size_t used = wcslen(headers);
  _snwprintf(headers + used, headersCount - 1 - used, L"%ls: %ls\r\n", name, wide);
  headers[headersCount - 1] = L'\0';
}

WebFetchStatus SendAndRead(HINTERNET request, const WebRequest& web, ULONGLONG startMs, char* body,
                           size_t bodySize, WebReply* reply) {
  constexpr size_t kHeadersCount = 2 * kWebCookieSize + 64;
  wchar_t headers[kHeadersCount];
  headers[0] = L'\0';
  AddHeader(L"Cookie", web.cookie, true, headers, kHeadersCount);
  AddHeader(L"__RequestVerificationToken", web.token, false, headers, kHeadersCount);

  const ULONGLONG deadline = startMs + web.totalTimeoutMs;
  if (!WinHttpSendRequest(request, headers[0] != L'\0' ? headers : WINHTTP_NO_ADDITIONAL_HEADERS,
                          headers[0] != L'\0' ? static_cast<DWORD>(-1L) : 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                          0))
    return StatusOfError(GetLastError());
  if (!LimitWaitToDeadline(request, deadline)) return kWebTimedOut;
  if (!WinHttpReceiveResponse(request, nullptr)) return StatusOfError(GetLastError());

  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  reply->httpStatus = static_cast<int32_t>(status);
  TakeSetCookie(request, reply);

  // Keeps what fits and reads past the rest: a cut body is still an answer.
  // Each read takes only what has come (a read for more would wait for it),
  // and each wait for more is bounded by the request's time left.
  char scratch[4096];
  for (;;) {
    if (!LimitWaitToDeadline(request, deadline)) return kWebTimedOut;
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) return StatusOfError(GetLastError());
    if (available == 0) break;
    const size_t room = bodySize - 1 - reply->length;
    char* into = room > 0 ? body + reply->length : scratch;
    const size_t space = room > 0 ? room : sizeof scratch;
    const DWORD want = static_cast<DWORD>(available < space ? available : space);
    DWORD got = 0;
    if (!WinHttpReadData(request, into, want, &got)) return StatusOfError(GetLastError());
    if (got == 0) break;
    if (room > 0) reply->length += got;
  }
  body[reply->length] = '\0';
  return kWebFetched;
}

}  // namespace

WebFetchStatus FetchWebPage(const WebRequest& request, char* body, size_t bodySize, WebReply* reply) {
  *reply = {};
  if (bodySize == 0) return kWebBroken;
  body[0] = '\0';
  const ULONGLONG startMs = GetTickCount64();
  // Straight to the stick: no proxy, whatever the system's settings say.
  HINTERNET session = WinHttpOpen(L"brenvaltor", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (session == nullptr) return kWebBroken;
  const int connectMs = static_cast<int>(request.connectTimeoutMs);
  const int totalMs = static_cast<int>(request.totalTimeoutMs);
  WinHttpSetTimeouts(session, connectMs, connectMs, totalMs, totalMs);
  wchar_t host[128];
  wchar_t path[512];
  Widen(request.host, host, 128);
  Widen(request.path, path, 512);
  WebFetchStatus status = kWebBroken;
  HINTERNET connection = WinHttpConnect(session, host, request.port, 0);
  if (connection == nullptr) {
    status = StatusOfError(GetLastError());
  } else {
    HINTERNET get = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (get != nullptr) {
      DWORD noRedirect = WINHTTP_DISABLE_REDIRECTS;
      WinHttpSetOption(get, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirect, sizeof noRedirect);
      // The wait for the answer's head has a time-out of its own, which
      // WinHttpSetTimeouts leaves alone (wine waits for ever without it).
      DWORD answerMs = request.totalTimeoutMs;
      WinHttpSetOption(get, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerMs, sizeof answerMs);
      status = SendAndRead(get, request, startMs, body, bodySize, reply);
      WinHttpCloseHandle(get);
    }
    WinHttpCloseHandle(connection);
  }
  WinHttpCloseHandle(session);
  return status;
}
