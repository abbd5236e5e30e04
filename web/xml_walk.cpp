// The element stack both XML readers feed: each reports the document's
// nodes as they come, and the closing element goes to the sink with the
// text it held. Elements nested deeper than kMaxXmlDepth are not reported
// (no document of the web interface is more than two deep).
#include <cstring>

#include "web/web_client.h"

void StartXmlWalk(XmlWalk* walk, XmlElementSink sink, void* context) {
  walk->sink = sink;
  walk->context = context;
  walk->depth = 0;
}

void OpenXmlElement(XmlWalk* walk, const char* name, bool isEmpty) {
  if (walk->depth < kMaxXmlDepth) {
    XmlOpenElement& element = walk->open[walk->depth];
    // A long name or text keeps its start, cut between characters, however
    // the platform's reader hands it over.
    const size_t length = Utf8CutLength(name, std::strlen(name), sizeof element.name - 1);
    std::memcpy(element.name, name, length);
    element.name[length] = '\0';
    element.text[0] = '\0';
    element.length = 0;
    element.full = false;
  }
  ++walk->depth;
  if (isEmpty) CloseXmlElement(walk);
}

void AddXmlText(XmlWalk* walk, const char* text, size_t length) {
  if (walk->depth <= 0 || walk->depth > kMaxXmlDepth) return;
  XmlOpenElement& element = walk->open[walk->depth - 1];
  if (element.full) return;  // a later piece would not follow on from the cut
  const size_t room = sizeof element.text - 1 - element.length;
  const size_t count = Utf8CutLength(text, length, room);
  element.full = count < length;
  std::memcpy(element.text + element.length, text, count);
  element.length += count;
  element.text[element.length] = '\0';
}

void CloseXmlElement(XmlWalk* walk) {
  if (walk->depth <= 0) return;
  --walk->depth;
  if (walk->depth >= kMaxXmlDepth) return;
  const XmlOpenElement& element = walk->open[walk->depth];
  walk->sink(walk->context, walk->depth, element.name, element.text, element.length);
}
