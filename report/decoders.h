// Decoders of the query's later replies (AT^SYSINFO to AT^CARDLOCK?), each
// reading the reply in ReceiveBuffer and writing its rows.
#pragma once

#include <cstddef>
#include <cstdint>

// Texts that more than one code table shows, held once.
inline constexpr const char* kTextNoService = "Нет сервиса";
inline constexpr const char* kTextWcdma = "WCDMA";
inline constexpr const char* kTextAutomaticSearch = "Автоматический поиск";
inline constexpr const char* kTextNoChange = "Без изменений";

void DecodeSysinfoReply();        // rows 8..14
void DecodeRadioFunctionReply();  // row 16
void DecodeSignalReply();         // row 17
void DecodeOperatorReply();       // rows 18, 19
void DecodeSystemConfigReply();   // rows 20..23
void DecodeCardLockReply();       // rows 26, 27

// The signal row's text for a reply number: "%d dBm (%s)" with the level
// 2 x number - 113 and its quality word, or "Не определён" for a number
// outside 0..31 (99 is what a modem says when it cannot measure).
void FormatSignalLevel(int32_t number, char* text, size_t textSize);
