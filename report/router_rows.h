// A stick on router firmware: its web interface's XML documents into the
// same 28 report rows, with the texts the AT decoders show for the same
// state. The mapping is one table (kRouterFields) read element by element,
// so it does not care which XML reader walked the document.
#pragma once

#include <cstddef>
#include <cstdint>

#include "report/field_walk.h"

// The documents the report reads, in the order it reads them.
enum RouterPath : int32_t {
  kPathDeviceInformation,
  kPathMonitoringStatus,
  kPathCurrentPlmn,
  kPathDeviceSignal,
  kPathPinStatus,
  kPathSimLock,
  kPathNetMode,
  kRouterPathCount,
};
extern const char* const kRouterPaths[kRouterPathCount];

// How an element's text becomes a row value.
enum RouterValueKind : int32_t {
  kValueVerbatim,  // as the stick writes it
  kValueCode,      // through a code table; an unknown code writes nothing
  kValueSignal,    // "-67dBm", ">=-51dBm", "<=-113dBm": the signal row's text
};

struct RouterField {
  RouterPath path;
  const char* element;
  RouterValueKind kind;
  const CodeTable* table;  // kValueCode only
  int32_t rowId;
};

constexpr size_t kRouterFieldCount = 17;
extern const RouterField kRouterFields[kRouterFieldCount];

// The web interface's error codes that the report acts on.
constexpr int32_t kWebErrorNotSupported = 100002;
constexpr int32_t kWebErrorLoginRequired = 100003;
constexpr int32_t kWebErrorSession = 125002;
constexpr int32_t kWebErrorToken = 125003;

// What one document gave beyond its rows.
struct RouterDocument {
  RouterPath path;
  // <error><code>N</code></error>: N; 0 for an ordinary document.
  int32_t errorCode;
  int32_t pendingCode;  // a <code> seen, its root not yet closed
};

void BeginRouterDocument(RouterDocument* document, RouterPath path);

// One element of the document, reported when it closes: its depth (0 for
// the root), name and direct text (UTF-8, entities decoded; length bytes).
// A child of the root that the table names for this document writes its
// row; everything else is ignored.
void TakeRouterElement(RouterDocument* document, int32_t depth, const char* name, const char* text,
                       size_t length);

// After the last document: the versions row "MODEL FIRMWARE,HARDWARE" (the
// form ^FHVER gives, which the shop link reads) when the three rows are
// there, and a lock with no attempts left shown as locked for good, as
// ^CARDLOCK's code 3 is.
void FinishRouterRows();
