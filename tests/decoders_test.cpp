// The decoders of the later replies, each fed a reply: a decoder writes its
// own rows and no other. The cases are the parsing rules; the code tables are
// data, and the shipped profiles' answers (lte-e3372's too) and ERROR to every
// decoder's command (error-all) are checked end to end (tests/e2e).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "report/decoders.h"
#include "report/report_rows.h"
#include "tests/test_support.h"

namespace {

struct DecoderCase {
  const char* name;
  void (*decode)();
  std::string reply;
  // The values of the decoder's rows (kOwnedRows) in order, '|' between
  // them; rows left out at the end must stay empty.
  const char* rows;
};

const std::map<void (*)(), std::vector<int>> kOwnedRows = {
    {DecodeSysinfoReply, {8, 9, 10, 11, 12, 13, 14}},
    {DecodeRadioFunctionReply, {16}},
    {DecodeSignalReply, {17}},
    {DecodeOperatorReply, {18, 19}},
    {DecodeSystemConfigReply, {20, 21, 22, 23}},
    {DecodeCardLockReply, {26, 27}},
    {DecodeSysinfoExReply, {8, 9, 10, 11, 12, 13, 14}},
    {DecodeSystemConfigExReply, {20, 21, 22, 23}},
};

std::string Line(const char* prefix, const char* value) {
  return "\r\n" + std::string(prefix) + ": " + value + "\r\n\r\nOK\r\n";
}

const DecoderCase kCases[] = {
    // AT^SYSINFO: the sub-mode replaces the mode row only when the seventh
    // field is there; codes are whole numbers, compared as text.
    {"sysinfo five fields", DecodeSysinfoReply, Line("^SYSINFO", "2,3,0,5,1"),
     "Нормальный сервис|Сервисы PS+CS|Не в роуминге|WCDMA||Нормальное состояние карты USIM"},
    {"sysinfo unknown mode 9", DecodeSysinfoReply, Line("^SYSINFO", "2,3,0,9,1,0,7"),
     "Нормальный сервис|Сервисы PS+CS|Не в роуминге||HSDPA/HSUPA|Нормальное состояние карты USIM|0"},
    {"sysinfo mode 05 is not 5", DecodeSysinfoReply, Line("^SYSINFO", "4,4,1,05,4,2,6"),
     "Энергосберегающий и спящий режим|CS и PS не зарегистрированы, поиск...|В роуминге||HSUPA|USIM неверная "
     "по причине CS или PS|2"},
    {"sysinfo eighth field ignored", DecodeSysinfoReply, Line("^SYSINFO", "2,3,0,5,1,x,7,9"),
     "Нормальный сервис|Сервисы PS+CS|Не в роуминге|WCDMA|HSDPA/HSUPA|Нормальное состояние карты USIM|x"},
    {"sysinfo blanks after commas", DecodeSysinfoReply, Line("^SYSINFO", "2, 3, 0"), "Нормальный сервис"},
    {"sysinfo bare prefix", DecodeSysinfoReply, "\r\n^SYSINFO\r\n", ""},
    {"sysinfo empty fields", DecodeSysinfoReply, Line("^SYSINFO", ",,,,,,"), ""},
    // AT+CFUN?
    {"cfun first field only", DecodeRadioFunctionReply, Line("+CFUN", "1,0"), "Полная"},
    {"cfun blank before code", DecodeRadioFunctionReply, "\r\n+CFUN:  1\r\n", ""},
    // AT+CSQ: the level edges no profile sends (9, 14, 15, 19, 20, 31 and 99
    // are in the reports end to end), and what is not a level.
    {"csq 0", DecodeSignalReply, Line("+CSQ", "0,99"), "-113 dBm (Плохо)"},
    {"csq 10", DecodeSignalReply, Line("+CSQ", "10,99"), "-93 dBm (Удовлетворительно)"},
    {"csq plus sign", DecodeSignalReply, Line("+CSQ", "+12"), "-89 dBm (Удовлетворительно)"},
    {"csq digits then text", DecodeSignalReply, Line("+CSQ", "17dB"), "-79 dBm (Хорошо)"},
    {"csq 32 out of range", DecodeSignalReply, Line("+CSQ", "32,0"), "Не определён"},
    {"csq negative", DecodeSignalReply, Line("+CSQ", "-1,0"), "Не определён"},
    {"csq huge number", DecodeSignalReply, Line("+CSQ", "99999999999999999999"), "Не определён"},
    {"csq no number", DecodeSignalReply, Line("+CSQ", "x,99"), ""},
    {"csq bare prefix", DecodeSignalReply, "\r\n+CSQ\r\n\r\nOK\r\n", ""},
    // AT+COPS?: the name is the third field, quotes taken off (e1550's, end to end).
    {"cops no technology", DecodeOperatorReply, Line("+COPS", "1,2,\"25099\""), "Ручной|25099"},
    {"cops mode 3 unknown", DecodeOperatorReply, Line("+COPS", "3"), ""},
    {"cops empty name", DecodeOperatorReply, Line("+COPS", "0,0,,2"), "Автоматический"},
    {"cops two fields", DecodeOperatorReply, Line("+COPS", "2,0"), "Отмена регистрации в сети"},
    {"cops unquoted name", DecodeOperatorReply, Line("+COPS", "0,2,25099,7"), "Автоматический|25099"},
    {"cops lone quote name", DecodeOperatorReply, Line("+COPS", "0,0,\""), "Автоматический"},
    // AT^SYSCFG?: the band is one hexadecimal value, never split into bits.
    {"syscfg combined band", DecodeSystemConfigReply, "\r\n^SYSCFG:2,2,380,1\r\n",
     "Автоматический поиск|Сначала 3G, затем 2G||Поддерживается"},
    {"syscfg leading zero band", DecodeSystemConfigReply, "\r\n^SYSCFG:2,2,0080,0\r\n",
     "Автоматический поиск|Сначала 3G, затем 2G||Не поддерживается"},
    {"syscfg unknown technology", DecodeSystemConfigReply, "\r\n^SYSCFG:3,2,200\r\n",
     "|Сначала 3G, затем 2G|Primary GSM 900"},
    // AT^SYSINFOEX: ^SYSINFO's first five fields (SIM state before the
    // modes), then each mode's code and the stick's own name for it, shown
    // only for a code the table does not know.
    {"sysinfoex unknown codes show the names", DecodeSysinfoExReply,
     Line("^SYSINFOEX", "1,2,1,255,2,8,\"NOVAMODE\",120,NOVASUB"),
     "Ограниченный сервис|Только сервис PS|В роуминге|NOVAMODE|NOVASUB|USIM карта отсутствует|2"},
    {"sysinfoex known codes win over names", DecodeSysinfoExReply,
     Line("^SYSINFOEX", "2,3,0,1,,3,\"UMTS\",45,\"HSPA PLUS\""),
     "Нормальный сервис|Сервисы PS+CS|Не в роуминге|WCDMA|HSPA+|Нормальное состояние карты USIM"},
    // AT^SYSCFGEX?: one order field for two rows; the LTE bands follow the
    // GSM/UMTS band in its row.
    {"syscfgex order, combined band, every lte band", DecodeSystemConfigExReply,
     Line("^SYSCFGEX", "\"030201\",2000000400380,0,2,7FFFFFFFFFFFFFFF"),
     "2G, 3G и LTE|Сначала LTE, затем 3G, затем 2G|LTE: Любой диапазон|Не поддерживается"},
    {"syscfgex top band, lower case, quoted mask", DecodeSystemConfigExReply,
     Line("^SYSCFGEX", "\"03\",80,2,2,\"800000000000000a\""),
     "Только LTE|Только LTE|GSM DCS systems; LTE: B2, B4, B64|Без изменений"},
    {"syscfgex mask not hexadecimal", DecodeSystemConfigExReply, Line("^SYSCFGEX", "\"0201\",80,1,2,800G5"),
     "2G и 3G|Сначала 3G, затем 2G|GSM DCS systems|Поддерживается"},
    {"syscfgex mask of 17 digits", DecodeSystemConfigExReply,
     Line("^SYSCFGEX", "\"99\",80,1,2,10000000000000001"),
     "Без изменений|Без изменений|GSM DCS systems|Поддерживается"},
    // AT^CARDLOCK?: the attempts are shown as the modem sent them.
    {"cardlock status only", DecodeCardLockReply, Line("^CARDLOCK", "1"), "Заблокирован (требуется код)"},
    {"cardlock attempts verbatim", DecodeCardLockReply, Line("^CARDLOCK", "1,-5x"),
     "Заблокирован (требуется код)|-5x"},
};

using Decoders = FakeModemTest;

TEST_F(Decoders, WriteExactlyTheirRows) {
  for (const DecoderCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ResetFakeModem();
    const std::vector<int>& owned = kOwnedRows.at(c.decode);
    for (int rowId = 0; rowId < kRowTableSize; ++rowId) SetRowValue(rowId, "marker");
    for (int rowId : owned) SetRowValue(rowId, "");
    LoadReply(c.reply);
    c.decode();
    const std::vector<std::string> rows = Parts(c.rows);
    for (int rowId = 0; rowId < kRowTableSize; ++rowId) {
      const size_t at = std::find(owned.begin(), owned.end(), rowId) - owned.begin();
      EXPECT_EQ(RowValue(rowId), at == owned.size() ? "marker" : at < rows.size() ? rows[at] : "") << rowId;
    }
  }
}

std::string g_Mirrored;
bool g_Fits;

// AT^HCSQ?: the LTE measurements, as the report lines after the rows and
// as the window's signal row (the published example is lte-e3372's, end to
// end). The window's list gets the longer signal row only when its cell
// shows it uncut (every other case); the row's own value stays.
TEST_F(Decoders, LteMeasurements) {
  struct Case {
    const char* name;
    std::string reply;
    const char* lines;  // '|' between them
    const char* windowRow;
  };
  const char* const csqRow = "-79 dBm (Хорошо)";
  const Case cases[] = {
      {"lowest numbers, mode unquoted", "\r\n^HCSQ:LTE,0,0,0,0\r\n",
       "LTE RSSI: -121 dBm|LTE RSRP: -141 dBm|LTE SINR: -20.2 dB|LTE RSRQ: -20 dB",
       "-79 dBm (Хорошо); RSRP -141 dBm, SINR -20.2 dB"},
      {"highest numbers", Line("^HCSQ", "\"LTE\",96,97,251,34"),
       "LTE RSSI: -25 dBm|LTE RSRP: -44 dBm|LTE SINR: 30 dB|LTE RSRQ: -3 dB",
       "-79 dBm (Хорошо); RSRP -44 dBm, SINR 30 dB"},
      {"255 and past the highest are unknown", Line("^HCSQ", "\"LTE\",255,98,100,35"), "LTE SINR: -0.2 dB",
       "-79 dBm (Хорошо); SINR -0.2 dB"},
      {"half dB steps", Line("^HCSQ", "\"LTE\",x,1,101,15"),
       "LTE RSRP: -140 dBm|LTE SINR: 0 dB|LTE RSRQ: -12.5 dB", "-79 dBm (Хорошо); RSRP -140 dBm, SINR 0 dB"},
      {"wcdma gives none", Line("^HCSQ", "\"WCDMA\",30,30,30"), "", csqRow},
      {"a report beside a refusal", "\r\n^HCSQ:\"LTE\",48,35,86,14\r\n\r\nCOMMAND NOT SUPPORT\r\n", "",
       csqRow},
      {"a report beside an error", "\r\n^HCSQ: \"LTE\",48,35,86,14\r\n\r\n+CME ERROR: 100\r\n", "", csqRow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFakeModem();
    SetRowValue(kRowSignalLevel, csqRow);
    g_Fits = !g_Fits;
    g_Mirrored.clear();
    g_App.RowSink = [](int32_t position, const char* text) {
      g_Mirrored = std::to_string(position) + ":" + text;
    };
    g_App.RowFits = [](int32_t, const char*) { return g_Fits; };
    LoadReply(c.reply);
    DecodeLteSignalReply();
    std::vector<std::string> lines;
    char line[256];
    for (int32_t i = 0; LteReportLine(i, line, sizeof line); ++i) lines.emplace_back(line);
    EXPECT_EQ(lines, Parts(c.lines));
    FormatSignalRowWithLte(line, sizeof line);
    EXPECT_STREQ(line, c.windowRow);
    EXPECT_EQ(g_Mirrored, g_Fits && c.windowRow != csqRow ? std::string("22:") + c.windowRow : "");
    EXPECT_STREQ(RowValue(kRowSignalLevel), csqRow);
  }
  ResetFakeModem();
}

}  // namespace
