// The walk over a web interface document on Linux: libxml2's reader.
#include <libxml/xmlreader.h>

#include <cstring>

#include "web/web_client.h"

bool WalkXmlDocument(const char* bytes, size_t length, XmlElementSink sink, void* context) {
  static XmlWalk walk;  // 130 KB: not on the stack
  StartXmlWalk(&walk, sink, context);
  if (length > 0x7FFFFFFF) return false;
  xmlTextReaderPtr reader = xmlReaderForMemory(bytes, static_cast<int>(length), nullptr, nullptr,
                                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (reader == nullptr) return false;
  int result = 0;
  while ((result = xmlTextReaderRead(reader)) == 1) {
    const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader));
    switch (xmlTextReaderNodeType(reader)) {
      case XML_READER_TYPE_ELEMENT:
        OpenXmlElement(&walk, name != nullptr ? name : "", xmlTextReaderIsEmptyElement(reader) == 1);
        break;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: {
        const char* text = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader));
        if (text != nullptr) AddXmlText(&walk, text, std::strlen(text));
        break;
      }
      case XML_READER_TYPE_END_ELEMENT: CloseXmlElement(&walk); break;
      default: break;
    }
  }
  xmlFreeTextReader(reader);
  return result == 0;
}
