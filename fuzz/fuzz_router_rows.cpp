// The router report's mapping on arbitrary documents (input: fuzz/README.md):
// raw bytes for the XML reader, or elements as the reader reports them, so
// that any name, text and order reaches the table.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "report/report_rows.h"
#include "report/router_rows.h"
#include "web/web_client.h"

namespace {

constexpr const char* kUntouched = "\x01untouched";

void TakeElement(void* context, int32_t depth, const char* name, const char* text, size_t length) {
  Require(std::strlen(text) == length, "the reader's text length");
  TakeRouterElement(static_cast<RouterDocument*>(context), depth, name, text, length);
}

// A path's table rows, and the two FinishRouterRows derives.
bool MayWrite(RouterPath path, int32_t rowId) {
  if (rowId == kRowVersions || rowId == kRowLockStatus) return true;
  for (const RouterField& field : kRouterFields)
    if (field.path == path && field.rowId == rowId) return true;
  return false;
}

// One zero-ended piece, cut to the reader's buffer as the reader cuts it.
std::string TakePiece(const uint8_t** data, size_t* size, size_t bufferSize) {
  const std::string piece = TakeText(data, size, strnlen(reinterpret_cast<const char*>(*data), *size) + 1);
  return piece.substr(0, bufferSize - 1);
}

// "depth name\0text\0" pieces; a piece cut short by the end of the input
// takes what there is.
void FeedElements(RouterDocument* document, const uint8_t* data, size_t size) {
  while (size > 0) {
    const auto depth = static_cast<int32_t>(TakeLittleEndian(&data, &size, 1) % 4);
    const std::string name = TakePiece(&data, &size, kXmlNameSize);
    const std::string text = TakePiece(&data, &size, kXmlTextSize);
    TakeRouterElement(document, depth, name.c_str(), text.c_str(), text.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const RouterPath path = static_cast<RouterPath>((*data & 0x7F) % kRouterPathCount);
  const bool asXml = (*data & 0x80) != 0;
  ++data;
  --size;
  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) SetRowValue(rowId, kUntouched);

  RouterDocument document;
  BeginRouterDocument(&document, path);
  if (asXml)
    WalkXmlDocument(reinterpret_cast<const char*>(data), size, TakeElement, &document);
  else
    FeedElements(&document, data, size);
  FinishRouterRows();

  for (int32_t rowId = 0; rowId < kRowTableSize; ++rowId) {
    const char* value = RowValue(rowId);
    Require(strnlen(value, kTextBufferSize) < kTextBufferSize, "a row is a terminated text");
    if (!MayWrite(path, rowId)) Require(std::strcmp(value, kUntouched) == 0, "only documented rows written");
  }
  return 0;
}
