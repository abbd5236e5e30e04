// A router stick's web interface: one plain HTTP GET of a path, and the walk
// over the XML document it answers. Both come from the platform's own
// libraries (libcurl and libxml2 on Linux, WinHTTP and XmlLite on Windows):
// posix/ and win32/ implement the calls below, xml_walk.cpp holds the part
// of the walk both share.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kWebCookieSize = 256;

struct WebRequest {
  const char* host;  // "127.0.0.1"
  uint16_t port;
  const char* path;    // "/api/device/information"
  const char* cookie;  // sent as the Cookie header unless empty
  const char* token;   // sent as __RequestVerificationToken unless empty
  uint32_t connectTimeoutMs;
  uint32_t totalTimeoutMs;  // the whole request, connection included
};

enum WebFetchStatus : int32_t {
  kWebFetched,       // an HTTP answer came (any status)
  kWebNoConnection,  // refused, unreachable, no such host, or the connect time-out ran out
  kWebTimedOut,      // connected, but the answer did not come in time
  kWebBroken,        // anything else (a reset, not HTTP)
};

struct WebReply {
  int32_t httpStatus;
  size_t length;  // body bytes; a longer body is cut to the buffer
  // The first cookie of a Set-Cookie header ("SessionID=..."), or empty.
  char setCookie[kWebCookieSize];
};

// GET request.path from request.host:request.port, no proxy, nothing but
// plain HTTP. The body goes into body (bodySize bytes, always terminated).
WebFetchStatus FetchWebPage(const WebRequest& request, char* body, size_t bodySize, WebReply* reply);

// One element of a document, reported when it closes: its depth (0 for the
// root), its local name and its direct text (UTF-8, entities and character
// references decoded), length bytes long and terminated.
using XmlElementSink = void (*)(void* context, int32_t depth, const char* name, const char* text,
                                size_t length);

// Walks the document in bytes[0..length). False when it is not well formed
// (the elements closed before the fault have been reported). Never fetches
// anything: no DTD, no external entity.
bool WalkXmlDocument(const char* bytes, size_t length, XmlElementSink sink, void* context);

// --- Text both platforms treat alike ---------------------------------------

// The longest start of text[0..length) that fits room bytes without cutting
// a UTF-8 character.
size_t Utf8CutLength(const char* text, size_t length, size_t room);

// What of a stick's text may go into a request header: the value up to its
// first control character (a decoded "&#13;&#10;" would start a header line
// of its own), for a cookie also up to its first ';' (its attributes), with
// no leading blanks, cut to cleanSize at a character boundary. Returns the
// bytes kept; clean is always terminated.
size_t CleanHeaderValue(const char* value, size_t length, bool isCookie, char* clean, size_t cleanSize);

// --- Shared by the two XML readers ----------------------------------------

// The open elements of a walk: their names and the direct text of each,
// bounded, so that any nesting and any text length cost a fixed amount.
constexpr int32_t kMaxXmlDepth = 32;
constexpr size_t kXmlNameSize = 64;
constexpr size_t kXmlTextSize = 4096;

struct XmlOpenElement {
  char name[kXmlNameSize];
  char text[kXmlTextSize];
  size_t length;
  bool full;  // the text was cut: nothing more is added
};

struct XmlWalk {
  XmlElementSink sink;
  void* context;
  int32_t depth;  // open elements
  XmlOpenElement open[kMaxXmlDepth];
};

void StartXmlWalk(XmlWalk* walk, XmlElementSink sink, void* context);
// An element opens (an empty one closes at once with isEmpty).
void OpenXmlElement(XmlWalk* walk, const char* name, bool isEmpty);
// Text (or CDATA) inside the innermost open element.
void AddXmlText(XmlWalk* walk, const char* text, size_t length);
void CloseXmlElement(XmlWalk* walk);
