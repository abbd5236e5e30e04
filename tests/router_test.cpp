// The router report's pieces on every platform: documents through the
// platform's XML reader (libxml2 natively, XmlLite under wine) and the
// element table into rows, the same texts as the AT decoders for the same
// state, the web address rule and the UTF-8 to Windows-1251 step.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "report/cp1251.h"
#include "report/decoders.h"
#include "report/report_rows.h"
#include "report/router_query.h"
#include "report/router_rows.h"
#include "sticks/router_sticks.h"
#include "tests/test_support.h"
#include "web/web_client.h"

namespace {

void TakeElement(void* context, int32_t depth, const char* name, const char* text, size_t length) {
  TakeRouterElement(static_cast<RouterDocument*>(context), depth, name, text, length);
}

// Walks one document of path into the rows; returns its error code, or -1
// when the reader found it malformed.
int32_t ApplyDocument(RouterPath path, const std::string& xml) {
  RouterDocument document;
  BeginRouterDocument(&document, path);
  if (!WalkXmlDocument(xml.data(), xml.size(), TakeElement, &document)) return -1;
  return document.errorCode;
}

std::string Response(const std::string& children) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<response>\r\n" + children + "</response>\r\n";
}

struct DocumentCase {
  const char* name;
  RouterPath path;
  std::string xml;
  int32_t errorCode;
  // Every row the document writes (after FinishRouterRows), "Label: value"
  // with '|' between them; all others stay empty. For a malformed document
  // (errorCode -1): the rows it may write.
  const char* rows;
};

// Whole documents (identity and versions, status codes, the rssi forms,
// PIN, lock, mode and band) are the router profiles' reports end to end,
// through libxml2 only; these are the edges, and the entities for XmlLite.
const DocumentCase kDocumentCases[] = {
    {"no versions row without the hardware", kPathDeviceInformation,
     Response("<DeviceName>E3372</DeviceName><SoftwareVersion>1.0</SoftwareVersion><HardwareVersion/>"), 0,
     "Модель: E3372|Версия прошивки: 1.0"},
    {"names are case sensitive and only the root's children count", kPathDeviceInformation,
     Response("<imei>1</imei><Extra><Imei>2</Imei></Extra>"), 0, ""},
    {"an element of another document writes nothing", kPathMonitoringStatus,
     Response("<Imei>866000000000041</Imei><FullName>X</FullName>"), 0, ""},
    {"unknown and padded codes write nothing", kPathMonitoringStatus,
     Response("<ServiceStatus>9</ServiceStatus><RoamingStatus> 0</RoamingStatus>"), 0, ""},
    {"entities and character references decoded, UTF-8 to CP1251", kPathCurrentPlmn,
     Response(u8"<FullName>Бета &amp; Ко &#40;RU&#41;</FullName><ShortName>B</ShortName>"), 0,
     "Оператор: Бета & Ко (RU)"},
    {"CDATA text", kPathCurrentPlmn, Response("<FullName><![CDATA[A<B]]></FullName>"), 0, "Оператор: A<B"},
    {"rssi impossible level", kPathDeviceSignal, Response("<rssi>-999dBm</rssi>"), 0,
     "Уровень сигнала: Не определён"},
    {"rssi empty", kPathDeviceSignal, Response("<rssi></rssi><rsrp>-95dBm</rsrp>"), 0, ""},
    {"pin no card: empty as over AT", kPathPinStatus, Response("<SimState>255</SimState>"), 0, ""},
    {"sim lock on, no attempts: locked for good", kPathSimLock,
     Response("<SimLockEnable>1</SimLockEnable><SimLockRemainTimes>0</SimLockRemainTimes>"), 0,
     "Статус блокировки: Заблокирован навсегда|Осталось попыток ввода кода: 0"},
    {"login required", kPathDeviceInformation,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><error><code>100003</code><message></message></error>",
     100003, ""},
    {"a code inside a response is not an error", kPathSimLock, Response("<code>125002</code>"), 0, ""},
    {"a document cut short", kPathDeviceInformation, "<html><body>404", -1, ""},
    {"line breaks and tabs of a firmware text become blanks", kPathDeviceInformation,
     Response(
         "<DeviceName>&#13;&#10;E33&#9;72&#10; </DeviceName><SoftwareVersion>21.110&#13;</SoftwareVersion>"),
     0, "Модель: E33 72|Версия прошивки: 21.110"},
    {"malformed document", kPathDeviceInformation, "<response><DeviceName>E3372</response>", -1,
     "Модель: E3372"},
};

TEST(RouterDocuments, WriteExactlyTheirRows) {
  for (const DocumentCase& c : kDocumentCases) {
    SCOPED_TRACE(c.name);
    ClearRowValues();
    const int32_t error = ApplyDocument(c.path, c.xml);
    if (c.errorCode >= 0) {
      EXPECT_EQ(error, c.errorCode);
    }
    FinishRouterRows();
    const std::map<int, std::string> rows = NamedRows(c.rows);
    for (int rowId = 0; rowId < kReportRowCount; ++rowId) {
      const auto row = rows.find(rowId);
      // A malformed document may or may not give its rows before the fault.
      if (c.errorCode < 0 && row != rows.end()) continue;
      EXPECT_STREQ(RowValue(rowId), row != rows.end() ? row->second.c_str() : "") << "RowId " << rowId;
    }
  }
}

// The same state read over AT and over the web interface shows the same
// texts: every ^SYSINFO code of the shared fields, and the lock states.
TEST(RouterRows, SameTextsAsTheAtDecoders) {
  for (const char* code : {"0", "1", "2", "3", "4", "255"}) {
    ClearRowValues();
    std::snprintf(g_App.ReceiveBuffer, kTextBufferSize, "\r\n^SYSINFO:%s,%s,%s,5,%s\r\n\r\nOK\r\n", code,
                  code, code, code);
    DecodeSysinfoReply();
    const std::string atService = RowValue(kRowServiceStatus), atDomain = RowValue(kRowServiceDomain),
                      atRoaming = RowValue(kRowRoamingState), atSim = RowValue(kRowSimState);
    ClearRowValues();
    ApplyDocument(kPathMonitoringStatus,
                  Response(std::string("<ServiceStatus>") + code + "</ServiceStatus><CurrentServiceDomain>" +
                           code + "</CurrentServiceDomain><RoamingStatus>" + code +
                           "</RoamingStatus><SimStatus>" + code + "</SimStatus>"));
    EXPECT_EQ(RowValue(kRowServiceStatus), atService) << code;
    EXPECT_EQ(RowValue(kRowServiceDomain), atDomain) << code;
    EXPECT_EQ(RowValue(kRowRoamingState), atRoaming) << code;
    EXPECT_EQ(RowValue(kRowSimState), atSim) << code;
  }
  for (const auto& [atCode, webEnable] : {std::pair{"1", "1"}, std::pair{"2", "0"}}) {
    ClearRowValues();
    std::snprintf(g_App.ReceiveBuffer, kTextBufferSize, "\r\n^CARDLOCK: %s,3,0\r\n\r\nOK\r\n", atCode);
    DecodeCardLockReply();
    const std::string atLock = RowValue(kRowLockStatus);
    ClearRowValues();
    ApplyDocument(kPathSimLock, Response(std::string("<SimLockEnable>") + webEnable + "</SimLockEnable>"));
    EXPECT_EQ(RowValue(kRowLockStatus), atLock) << atCode;
  }
}

struct AddressCase {
  const char* name;
  const char* text;
  bool valid;
  const char* host;
  uint16_t port;
};

const AddressCase kAddressCases[] = {
    {"url with port and slash", "http://127.0.0.1:8080/", true, "127.0.0.1", 8080},
    {"bare address and port", "127.0.0.1:65535", true, "127.0.0.1", 65535},
    {"host name", "http://stick.local", true, "stick.local", 80},
    {"port zero", "http://127.0.0.1:0", false, "", 0},
    {"port too large", "http://127.0.0.1:65536", false, "", 0},
    {"port missing", "http://127.0.0.1:", false, "", 0},
    {"empty", "", false, "", 0},
    {"path", "http://127.0.0.1/api/device/information", false, "", 0},
    {"user info", "http://user@127.0.0.1", false, "", 0},
    {"other scheme", "https://127.0.0.1", false, "", 0},
};

TEST(RouterAddress, Parses) {
  for (const AddressCase& c : kAddressCases) {
    SCOPED_TRACE(c.name);
    RouterAddress address;
    EXPECT_EQ(ParseRouterAddress(c.text, &address), c.valid);
    if (!c.valid) continue;
    EXPECT_STREQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
  }
}

TEST(RouterEntries, FromStickToEntryAndNotBackFromSerialEntries) {
  StickDevice stick{};
  stick.VendorId = kStickVendorId;
  stick.ProductId = 0x14DC;
  stick.InterfaceCount = 1;
  stick.Interfaces[0].Kind = kInterfaceNetwork;
  std::snprintf(stick.Interfaces[0].Driver, kStickNameSize, "cdc_ether");
  std::snprintf(stick.Interfaces[0].Name, kStickNameSize, "usb0");
  char entry[kShortTextSize];
  // No gateway yet (the adapter has no address): no entry.
  EXPECT_FALSE(FormatRouterStickEntry(stick, entry, sizeof entry));
  std::snprintf(stick.Interfaces[0].Gateway, kStickNameSize, "127.0.0.1:8080");
  ASSERT_TRUE(FormatRouterStickEntry(stick, entry, sizeof entry));
  EXPECT_STREQ(entry, "E3372 (127.0.0.1:8080)");
  stick.ProductId = 0x1234;
  ASSERT_TRUE(FormatRouterStickEntry(stick, entry, sizeof entry));
  EXPECT_STREQ(entry, "12d1:1234 (127.0.0.1:8080)");
  // A stick with a serial port is no router stick.
  stick.InterfaceCount = 2;
  stick.Interfaces[1].Kind = kInterfaceSerial;
  std::snprintf(stick.Interfaces[1].Driver, kStickNameSize, "option");
  std::snprintf(stick.Interfaces[1].Name, kStickNameSize, "/dev/ttyUSB0");
  EXPECT_FALSE(FormatRouterStickEntry(stick, entry, sizeof entry));
  // Serial entries are not addresses (a router entry's is the window test's).
  RouterAddress address;
  for (const char* serial : {"E1550 (COM5)", "E1550 (/dev/ttyUSB0)", "E1550 (1x.2)", "E (1.2.3.4) x", ""})
    EXPECT_FALSE(RouterAddressFromEntry(serial, &address)) << serial;
}

// A name or text longer than the walk keeps is cut to the same start by
// libxml2 and by XmlLite: between characters, never to nothing.
TEST(XmlWalk, LongNamesAndTextsKeepTheirStartOnEveryPlatform) {
  const auto repeat = [](const std::string& unit, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += unit;
    return text;
  };
  const std::string kCyrillic = u8"ж";        // 2 bytes
  const std::string kEmoji = u8"\U0001F600";  // 4 bytes, a surrogate pair in UTF-16
  const struct {
    const char* what;
    std::string name, text, keptName, keptText;
  } cases[] = {
      {"long text", "a", repeat("t", 20000), "a", repeat("t", kXmlTextSize - 1)},
      {"two-byte characters", "a", repeat(kCyrillic, 3000), "a", repeat(kCyrillic, kXmlTextSize / 2 - 1)},
      {"past the reader's buffer", "a", repeat(kCyrillic, 10000), "a",
       repeat(kCyrillic, kXmlTextSize / 2 - 1)},
      {"surrogate pairs", "a", repeat(kEmoji, 5000), "a", repeat(kEmoji, kXmlTextSize / 4 - 1)},
      {"long name", repeat("n", 100), "x", repeat("n", kXmlNameSize - 1), "x"},
      {"long name of two-byte characters", repeat(kCyrillic, 40), "x",
       repeat(kCyrillic, kXmlNameSize / 2 - 1), "x"},
  };
  for (const auto& c : cases) {
    const std::string xml = "<r><" + c.name + ">" + c.text + "</" + c.name + "></r>";
    std::pair<std::string, std::string> first;
    const auto keepFirst = [](void* context, int32_t depth, const char* name, const char* text,
                              size_t length) {
      auto* kept = static_cast<std::pair<std::string, std::string>*>(context);
      if (depth == 1 && kept->first.empty()) *kept = {name, std::string(text, length)};
    };
    EXPECT_TRUE(WalkXmlDocument(xml.data(), xml.size(), keepFirst, &first)) << c.what;
    EXPECT_EQ(first.first, c.keptName) << c.what;
    EXPECT_EQ(first.second.size(), c.keptText.size()) << c.what;
    EXPECT_TRUE(first.second == c.keptText) << c.what;
  }
}

TEST(Utf8ToCp1251, CyrillicKnownAndUnknownCharacters) {
  const struct {
    std::string utf8;
    std::string cp1251;
  } cases[] = {
      {u8"Бета ёЁ №", "Бета ёЁ №"},
      {"A\xE4\xB8\xADZ", "A?Z"},  // a character the code page lacks
      {"A\xD0Z", "A?Z"},          // a cut sequence
      {"\xFF\xFE", "??"},         // bytes that start nothing
      {"\xC0\xAF", "??"},         // an overlong form is two bad bytes
  };
  for (const auto& c : cases) {
    char out[64];
    Utf8ToCp1251(c.utf8.data(), c.utf8.size(), out, sizeof out);
    EXPECT_EQ(std::string(out), c.cp1251) << c.utf8;
  }
  char small[4];
  EXPECT_EQ(Utf8ToCp1251(u8"абвгд", 10, small, sizeof small), 3u);
  EXPECT_STREQ(small, "абв");
}

}  // namespace
