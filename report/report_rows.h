// The report's 28 rows and the toggle entry: labels, list positions, and the
// two write paths into the row values (SetRowValue, ExtractReplyValue).
#pragma once

#include <array>
#include <cstdint>

#include "base/app_state.h"

// The rows are numbered three ways; each name below means one of them only:
//  - RowId: the index of a row's RowTable entry (kRowMaker 0 ..
//    kRowUnlockAttemptsLeft 27, kToggleRow 28): what the decoders write to
//    and the order of the command-line report and its JSON ids;
//  - list position: where the window's list shows the row
//    (RowTable[rowId].position; 0..7 main rows, 8 the toggle, 9..28 extra);
//  - output line: the 1-based line of `brenvaltor-cli report`, RowId + 1
//    (the toggle has none; an LTE stick's measurement lines follow line 28).

// One RowTable entry: the label (Windows-1251) and the list position that
// shows it. A RowId is the index of its entry.
struct RowTableEntry {
  const char* label;
  int32_t position;
};

enum RowId : int32_t {
  kRowMaker = 0,
  kRowModel = 1,
  kRowFirmwareVersion = 2,
  kRowHardwareVersion = 3,
  kRowVersions = 4,
  kRowImei = 5,
  kRowImsi = 6,
  kRowCommandSets = 7,
  kRowServiceStatus = 8,
  kRowServiceDomain = 9,
  kRowRoamingState = 10,
  kRowSystemMode = 11,
  kRowSystemSubMode = 12,
  kRowSimState = 13,
  kRowSimLockState = 14,
  kRowPinStatus = 15,
  kRowRadioFunction = 16,
  kRowSignalLevel = 17,
  kRowNetworkMode = 18,
  kRowOperator = 19,
  kRowNetworkTechnology = 20,
  kRowAcquisitionOrder = 21,
  kRowFrequencyBand = 22,
  kRowRoamingSupport = 23,
  kRowBuildDateTime = 24,
  kRowDashboardVersion = 25,
  kRowLockStatus = 26,
  kRowUnlockAttemptsLeft = 27,
};

extern const std::array<RowTableEntry, kRowTableSize> RowTable;

// The toggle entry's two labels; the list shows the first at start-up.
constexpr const char* kToggleShowLabel = " + Показать доп. информацию";
constexpr const char* kToggleHideLabel = " - Скрыть доп. информацию";

// Positions 0..7 are the main rows, 8 the toggle, 9..28 the extra rows.
constexpr int32_t kFirstExtraPosition = 9;

// Writes a value into a RowTable entry (RowId 0..27, or 28 for the toggle).
// The row keeps its own copy, bounded to 65,535 characters. Any other index
// is ignored.
void SetRowValue(int32_t rowId, const char* text);

// Empties all 29 values, in RowTable order, and the LTE report beside them.
void ClearRowValues();

// The current value of a RowTable entry ("" for an index out of range).
const char* RowValue(int32_t rowId);

// Takes one value out of the last reply (ReceiveBuffer) into ValueBuffer:
// the line after the first occurrence of prefix (the first line of the reply
// for the empty prefix), without the separator after the prefix, one leading
// blank, one opening and one closing double quote. An empty value or a bare
// "OK" leaves ValueBuffer empty and writes nothing; otherwise, with writeRow,
// the value goes into rowId.
void ExtractReplyValue(const char* prefix, int32_t rowId, bool writeRow);
