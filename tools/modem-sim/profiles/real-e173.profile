# Real stick: 3G stick E173 (firmware 11.126.16.00.715), maker invented
# (Zentrix), on its diagnostics port. ATI as published in a Russian blog
# post on setting up this stick under Linux (screen /dev/ttyUSB0); the
# answer "COMMAND NOT SUPPORT" to a command it does not know as published
# for the E173 in gammu/wammu issue #44 (gammu's AT log). Its reports come
# framed CR CR ... CR CR, as some of the vendor's firmware sends them; the
# ^BOOT report as the issue tracker logs show it. Standard identity
# commands repeat the ATI values; IMEI and IMSI made up. Every command the
# published logs do not show gets COMMAND NOT SUPPORT.

echo on
reports every 300 "\r\r^BOOT:20952084,0,0,0,72\r\r" "\r\r^RSSI:17\r\r"

> ATI
"\r\nManufacturer: zentrix\r\nModel: E173\r\nRevision: 11.126.16.00.715\r\n"
"IMEI: 861976000000047\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE173\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.126.16.00.715\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000063\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n861976000000047\r\n\r\nOK\r\n"

> *
"\r\nCOMMAND NOT SUPPORT\r\n"
