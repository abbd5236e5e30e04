// The web interface on Windows: WinHTTP for the GET, XmlLite for the walk.
// Both are system DLLs. MinGW-w64 ships no import library for xmllite.dll,
// so CreateXmlReader is looked up when the first document is walked.
#include <windows.h>
#include <objbase.h>
#include <winhttp.h>
#include <xmllite.h>

#include <cstdio>
#include <cstring>

#include "base/bounded_text.h"
#include "web/web_client.h"

namespace {

// UTF-8 (or ASCII) text -> UTF-16, always terminated.
void Widen(const char* text, wchar_t* wide, int wideCount) {
  const int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, wideCount);
  if (count <= 0) wide[0] = L'\0';
  wide[wideCount - 1] = L'\0';
}

// UTF-16 -> UTF-8, always terminated; returns the bytes written.
size_t Narrow(const wchar_t* wide, uint32_t wideCount, char* text, size_t textSize) {
  if (wideCount == 0) {
    text[0] = '\0';
    return 0;
  }
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(wideCount), text,
                                        static_cast<int>(textSize - 1), nullptr, nullptr);
  const size_t length = count > 0 ? static_cast<size_t>(count) : 0;
  text[length] = '\0';
  return length;
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
  Narrow(header, length, reply->setCookie, sizeof reply->setCookie);
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

namespace {

using CreateXmlReaderCall = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateXmlReaderCall FindCreateXmlReader() {
  static CreateXmlReaderCall create = [] {
    HMODULE module = LoadLibraryW(L"xmllite.dll");
    return module != nullptr ? reinterpret_cast<CreateXmlReaderCall>(
                                   reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")))
                             : nullptr;
  }();
  return create;
}

constexpr GUID kXmlReaderId = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

// The reader's current node: its local name or value in UTF-8.
size_t NodeText(IXmlReader* reader, bool name, char* text, size_t textSize) {
  const wchar_t* wide = nullptr;
  UINT count = 0;
  const HRESULT result = name ? reader->GetLocalName(&wide, &count) : reader->GetValue(&wide, &count);
  if (FAILED(result) || wide == nullptr) {
    text[0] = '\0';
    return 0;
  }
  return Narrow(wide, count, text, textSize);
}

void ReadNodes(IXmlReader* reader, XmlWalk* walk, bool* wellFormed) {
  static char text[kXmlTextSize * 4];
  XmlNodeType type;
  HRESULT result;
  while ((result = reader->Read(&type)) == S_OK) {
    switch (type) {
      case XmlNodeType_Element: {
        NodeText(reader, true, text, kXmlNameSize);
        OpenXmlElement(walk, text, reader->IsEmptyElement() != FALSE);
        break;
      }
      case XmlNodeType_Text:
      case XmlNodeType_CDATA:
      case XmlNodeType_Whitespace: {
        const size_t length = NodeText(reader, false, text, sizeof text);
        AddXmlText(walk, text, length);
        break;
      }
      case XmlNodeType_EndElement: CloseXmlElement(walk); break;
      default: break;
    }
  }
  *wellFormed = result == S_FALSE;
}

}  // namespace

bool WalkXmlDocument(const char* bytes, size_t length, XmlElementSink sink, void* context) {
  static XmlWalk walk;  // 130 KB: not on the stack
  StartXmlWalk(&walk, sink, context);
  CreateXmlReaderCall create = FindCreateXmlReader();
  if (create == nullptr || length > 0x7FFFFFFF) return false;

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length > 0 ? length : 1);
  if (memory == nullptr) return false;
  void* copy = GlobalLock(memory);
  if (length > 0) std::memcpy(copy, bytes, length);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return false;
  }
  ULARGE_INTEGER size;
  size.QuadPart = length;
  stream->SetSize(size);

  bool wellFormed = false;
  IXmlReader* reader = nullptr;
  if (SUCCEEDED(create(kXmlReaderId, reinterpret_cast<void**>(&reader), nullptr))) {
    // No DTD: a document cannot make the reader fetch or expand anything.
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (SUCCEEDED(reader->SetInput(stream))) ReadNodes(reader, &walk, &wellFormed);
    reader->Release();
  }
  stream->Release();
  return wellFormed;
}
