// The GET of the web interface on Windows: WinHTTP, a system DLL.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstring>

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

// "SessionID=abc; path=/" -> "SessionID=abc".
void TakeSetCookie(HINTERNET request, WebReply* reply) {
  wchar_t header[kWebCookieSize];
  DWORD size = sizeof header;
  DWORD index = 0;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_SET_COOKIE, WINHTTP_HEADER_NAME_BY_INDEX, header, &size,
                           &index))
    return;
  header[kWebCookieSize - 1] = L'\0';
  uint32_t length = 0;
  while (header[length] != L'\0' && header[length] != L';') ++length;
  NarrowUtf16(header, length, reply->setCookie, sizeof reply->setCookie);
}

WebFetchStatus SendAndRead(HINTERNET request, const WebRequest& web, ULONGLONG startMs, char* body,
                           size_t bodySize, WebReply* reply) {
  wchar_t headers[2 * kWebCookieSize + 64];
  wchar_t cookie[kWebCookieSize];
  wchar_t token[kWebCookieSize];
  Widen(web.cookie, cookie, kWebCookieSize);
  Widen(web.token, token, kWebCookieSize);
  headers[0] = L'\0';
  if (cookie[0] != L'\0') _snwprintf(headers, 2 * kWebCookieSize, L"Cookie: %ls\r\n", cookie);
  const size_t used = wcslen(headers);
  if (token[0] != L'\0')
    _snwprintf(headers + used, kWebCookieSize + 48, L"__RequestVerificationToken: %ls\r\n", token);
  headers[sizeof headers / sizeof headers[0] - 1] = L'\0';

  if (!WinHttpSendRequest(request, headers[0] != L'\0' ? headers : WINHTTP_NO_ADDITIONAL_HEADERS,
                          headers[0] != L'\0' ? static_cast<DWORD>(-1L) : 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                          0) ||
      !WinHttpReceiveResponse(request, nullptr))
    return StatusOfError(GetLastError());

  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  reply->httpStatus = static_cast<int32_t>(status);
  TakeSetCookie(request, reply);

  // Keeps what fits and reads past the rest: a cut body is still an answer.
  // WinHTTP bounds each read, not the request: a stick that sends its body
  // a byte at a time is stopped at the request's own time.
  const ULONGLONG deadline = startMs + web.totalTimeoutMs;
  char scratch[4096];
  for (;;) {
    if (GetTickCount64() > deadline) return kWebTimedOut;
    const size_t room = bodySize - 1 - reply->length;
    char* into = room > 0 ? body + reply->length : scratch;
    const DWORD want = static_cast<DWORD>(room > 0 ? (room < 65536 ? room : 65536) : sizeof scratch);
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
