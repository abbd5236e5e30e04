// The walk over a web interface document on Windows: XmlLite, a system DLL.
// MinGW-w64 ships no import library for xmllite.dll, so CreateXmlReader is
// looked up when the first document is walked.
#include <windows.h>
#include <objbase.h>
#include <xmllite.h>

#include <cstring>

#include "web/web_client.h"
#include "web/win32/utf16.h"

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
  return NarrowUtf16(wide, count, text, textSize);
}

// Every node takes at least one byte of the document, so a document of
// length bytes has fewer than length + 2 of them. The bound keeps a reader
// that stalls on a cut document (wine's repeats its last node at an unclosed
// tag) from spinning for ever: such a document is not well formed.
void ReadNodes(IXmlReader* reader, size_t length, XmlWalk* walk, bool* wellFormed) {
  static char text[kXmlTextSize * 4];
  XmlNodeType type;
  HRESULT result;
  size_t nodes = 0;
  while ((result = reader->Read(&type)) == S_OK) {
    if (++nodes > length + 2) return;
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
    if (SUCCEEDED(reader->SetInput(stream))) ReadNodes(reader, length, &walk, &wellFormed);
    reader->Release();
  }
  stream->Release();
  return wellFormed;
}
