// Decoders of the query's later replies (AT^SYSINFO to AT^CARDLOCK?, and
// the LTE stick's AT^SYSINFOEX, AT^SYSCFGEX? and AT^HCSQ?), each reading
// the reply in ReceiveBuffer and writing its rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "report/field_walk.h"

// Texts that more than one code table shows, held once.
inline constexpr const char* kTextNoService = "Нет сервиса";
inline constexpr const char* kTextWcdma = "WCDMA";
inline constexpr const char* kTextTdScdma = "TD-SCDMA";
inline constexpr const char* kTextHspaPlus = "HSPA+";
inline constexpr const char* kTextLte = "LTE";
inline constexpr const char* kTextLteOnly = "Только LTE";
inline constexpr const char* kText2g3gLte = "2G, 3G и LTE";
inline constexpr const char* kTextAnyBand = "Любой диапазон";
inline constexpr const char* kTextAutomaticSearch = "Автоматический поиск";
inline constexpr const char* kTextNoChange = "Без изменений";
inline constexpr const char* kTextSignalUnknown = "Не определён";
inline constexpr const char* kText2gOnly = "Только 2G";
inline constexpr const char* kText3gOnly = "Только 3G";
inline constexpr const char* kTextLocked = "Заблокирован (требуется код)";
inline constexpr const char* kTextUnlocked = "Разблокирован (код не требуется)";
inline constexpr const char* kTextLockedForever = "Заблокирован навсегда";

// Code tables that the router web interface shares with ^SYSINFO and
// ^SYSCFG: its status document carries the same codes, so a stick read over
// either path shows the same texts for the same state.
extern const CodeTable kServiceStatusTable;
extern const CodeTable kServiceDomainTable;
extern const CodeTable kRoamingTable;
extern const CodeTable kSimStateTable;
extern const CodeTable kBandTable;

void DecodeSysinfoReply();         // rows 8..14
void DecodeRadioFunctionReply();   // row 16
void DecodeSignalReply();          // row 17
void DecodeOperatorReply();        // rows 18, 19
void DecodeSystemConfigReply();    // rows 20..23
void DecodeCardLockReply();        // rows 26, 27
void DecodeSysinfoExReply();       // rows 8..14, and whether the stick is on LTE
void DecodeSystemConfigExReply();  // rows 20..23, and the LTE bands
void DecodeLteSignalReply();       // the LTE measurements (no row)

// Shows the signal row in the window's list with RSRP and SINR after it,
// when the stick measured them and the text fits the cell uncut. The window
// calls it again once a query's rows reach the list.
void MirrorSignalRowWithLte();

// Whether a reply holds a refusal line: ERROR, +CME ERROR: <n> or the
// modem vendor's COMMAND NOT SUPPORT.
bool ReplyRefused(const char* reply);

// The LTE measurement lines that follow the 28 rows ("LTE RSRP: -106 dBm"):
// line `index` among those the stick measured; false past the last one.
bool LteReportLine(int32_t index, char* line, size_t lineSize);
// The JSON name ("rsrp") and the unit ("dBm") of a measurement.
const char* LteMeasurementName(int32_t measurement);
const char* LteMeasurementUnit(int32_t measurement);
// Tenths of a unit as a decimal number: -30 is "-3", -25 is "-2.5".
void FormatTenths(int32_t tenths, char* text, size_t textSize);
// The signal row as the window shows it on an LTE stick: the row's own text,
// then RSRP and SINR ("-79 dBm (Хорошо); RSRP -106 dBm, SINR -3 dB"); the
// row's own text alone when neither was measured.
void FormatSignalRowWithLte(char* text, size_t textSize);

// The LTE bands of a mask as "B1, B3, B7", or "Любой диапазон" for the mask
// of every band.
void FormatLteBands(uint64_t mask, char* text, size_t textSize);

// The signal row's text for a reply number: "%d dBm (%s)" with the level
// 2 x number - 113 and its quality word, or "Не определён" for a number
// outside 0..31 (99 is what a modem says when it cannot measure).
void FormatSignalLevel(int32_t number, char* text, size_t textSize);

// The signal row's text for a level in dBm: "%d dBm (%s)" with its quality
// word (what FormatSignalLevel writes for a reply number in range).
void FormatSignalDbm(int32_t level, char* text, size_t textSize);

// Reads a decimal number from the front of text the way "%d" would
// (leading white space, an optional sign, digits), clamped to +-1000000.
// False when there is no digit.
bool ReadLeadingNumber(const char* text, int32_t* number);
