// Replies of a complete classic 3G stick (the same data as the e1550 profile
// of modem-sim) and the report they must give.
#pragma once

#include <map>
#include <string>

inline std::map<std::string, std::string> ClassicStickReplies() {
  return {
      {"ATE0", "\r\nOK\r\n"},
      {"ATI",
       "\r\nManufacturer: Zentrix Telecom\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\n"
       "IMEI: 354000000000017\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"},
      {"AT^FHVER", "\r\n^FHVER:\"E1550 11.608.12.02.143,CD1E1550M\"\r\n\r\nOK\r\n"},
      {"AT+CGMI", "\r\nZentrix\r\n\r\nOK\r\n"},
      {"AT+CGMM", "\r\nE1550\r\n\r\nOK\r\n"},
      {"AT+CGMR", "\r\n11.608.12.02.143\r\n\r\nOK\r\n"},
      {"AT+CIMI", "\r\n250990000000001\r\n\r\nOK\r\n"},
      {"AT+CGSN", "\r\n354000000000017\r\n\r\nOK\r\n"},
      {"AT^HWVER", "\r\n^HWVER:\"CD1E1550M\"\r\n\r\nOK\r\n"},
      {"AT^SYSINFO", "\r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n"},
      {"AT+CPIN?", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
      {"AT+CFUN?", "\r\n+CFUN: 1\r\n\r\nOK\r\n"},
      {"AT+CSQ", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n"},
      {"AT+COPS?", "\r\n+COPS: 0,0,\"Alpha Net\",2\r\n\r\nOK\r\n"},
      {"AT^SYSCFG?", "\r\n^SYSCFG:2,2,3FFFFFFF,1,2\r\n\r\nOK\r\n"},
      {"AT^VERSION?",
       "\r\n^VERSION:BDT:Nov 11 2011, 10:20:30\r\n^VERSION:EXTD:UTPS11.301.05.00.143\r\n"
       "^VERSION:INI:\r\n^VERSION:TEMP:\r\n\r\nOK\r\n"},
      {"AT^CARDLOCK?", "\r\n^CARDLOCK: 1,10,0\r\n\r\nOK\r\n"},
  };
}

inline const char* const kClassicStickReport[28] = {
    "Zentrix",
    "E1550",
    "11.608.12.02.143",
    "CD1E1550M",
    "E1550 11.608.12.02.143,CD1E1550M",
    "354000000000017",
    "250990000000001",
    "+CGSM,+DS,+ES",
    "Нормальный сервис",
    "Сервисы PS+CS",
    "Не в роуминге",
    "WCDMA",
    "WCDMA",
    "Нормальное состояние карты USIM",
    "",
    "READY",
    "Полная",
    "-73 dBm (Отлично)",
    "Автоматический",
    "Alpha Net",
    "Автоматический поиск",
    "Сначала 3G, затем 2G",
    "Любой диапазон",
    "Поддерживается",
    "Nov 11 2011, 10:20:30",
    "UTPS11.301.05.00.143",
    "Заблокирован (требуется код)",
    "10",
};
