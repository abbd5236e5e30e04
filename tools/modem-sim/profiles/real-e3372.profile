# Real stick: LTE stick E3372 (E3372H-607, firmware 22.329.63.00.74), maker
# invented (Zentrix). Replies as published in a public blog post on running
# this stick under OpenBSD (AT session over socat on cuaU0, 2018): ATI,
# +CSQ, ^CARDLOCK?, ^FHVER, the long ^VERSION block (EXTS/INTS/EXTD/INTD/
# EXTH/INTH/EXTU/INTU/CFG/PRL/OEM/INI lines) and the unsolicited ^RSSI,
# ^HCSQ, ^NWTIME and ^EONS reports it sent on its own. +COPS? in its
# standard form, operator name invented.
# IMEI and IMSI made up. Commands the published logs do not show: ERROR.

echo on
reports every 400 "\r\n^RSSI:20\r\n" "\r\n^HCSQ:\"LTE\",48,35,86,14\r\n" "\r\n^NWTIME:18/12/13,06:20:04+28,00\r\n" "\r\n^EONS:0\r\n"

> ATI
"\r\nManufacturer: zentrix\r\nModel: E3372\r\nRevision: 22.329.63.00.74\r\n"
"IMEI: 866785000000031\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E3372H-607 22.329.63.00.74,CL2E3372HM Ver.A\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE3372\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n22.329.63.00.74\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000057\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n866785000000031\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 20,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"Alpha Net\",7\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Apr 08 2018, 12:13:47\r\n^VERSION:EXTS:22.329.63.00.74\r\n^VERSION:INTS:\r\n"
"^VERSION:EXTD:WEBUI_17.100.20.02.74_ROUTER\r\n^VERSION:INTD:\r\n^VERSION:EXTH:CL2E3372HM Ver.A\r\n"
"^VERSION:INTH:\r\n^VERSION:EXTU:E3372\r\n^VERSION:INTU:\r\n^VERSION:CFG:1004\r\n^VERSION:PRL:\r\n"
"^VERSION:OEM:\r\n^VERSION:INI:\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
