// The report of a stick on router firmware, read from its web interface:
// the session handshake, the seven documents, their error codes, and the
// time bounds. Only GET requests, to the address the caller names; nothing
// is ever written to the stick.
#pragma once

#include <cstddef>
#include <cstdint>

// A connection that does not come about within 1 s is a dead address; one
// request may take 2 s; the whole report never takes more than 3 s.
constexpr uint32_t kRouterConnectTimeoutMs = 1000;
constexpr uint32_t kRouterRequestTimeoutMs = 2000;
constexpr uint32_t kRouterReportBudgetMs = 3000;

constexpr size_t kRouterHostSize = 128;

struct RouterAddress {
  char host[kRouterHostSize];
  uint16_t port;
};

// "http://192.168.8.1", "http://127.0.0.1:8080/", "192.168.8.1:80": false
// for anything else (another scheme, a path, user info, a port out of
// range, a host with characters no address has).
bool ParseRouterAddress(const char* text, RouterAddress* address);

// The address of a modem list entry "MODEL (192.168.8.1)" (an IPv4
// address, with an optional port): false for a serial entry "MODEL (COM5)".
bool RouterAddressFromEntry(const char* entry, RouterAddress* address);

// True for an address the user typed as a URL: "http://...".
bool IsRouterUrl(const char* text);

enum RouterOutcome : int32_t {
  kRouterRead,             // every document read (some may have been unsupported)
  kRouterLoginRequired,    // the stick wants its web password for some documents
  kRouterNoAnswer,         // nothing answered at the address (or not in time)
  kRouterSessionRefused,   // the stick refused the session after a fresh handshake
  kRouterNotWebInterface,  // something answered, but not the stick's interface
  kRouterCut,              // the stick stopped answering (or refused the session) part-way
  kRouterHttpError,        // a document came with an HTTP status other than 200
};

struct RouterQueryResult {
  RouterOutcome outcome;
  int32_t documentsRead;  // documents that gave rows (not an error reply)
  uint32_t elapsedMs;
  // The first document that came with a status other than 200 (a 404 only
  // when no other came), its kRouterPaths index; status 0 when none did.
  int32_t failedHttpStatus;
  int32_t failedPath;
};

// Empties every row, then fills them from the stick at address.
void QueryRouterAt(const RouterAddress& address, RouterQueryResult* result);

// What the user is told when a stick did not give its whole report: the
// window's message (cli false) or the command-line tool's line, which names
// url. False, and text empty, for a report read in full. rowsShown: whether
// the rows it gave are shown with the text; failed: whether the tool exits
// with an error.
bool DescribeRouterOutcome(const RouterQueryResult& result, bool cli, const char* url, char* text,
                           size_t textSize, bool* rowsShown, bool* failed);
