# The E1550 stick (Zentrix Telecom) on its diagnostics port: the firmware
# sends one of its unsolicited reports the moment each command arrives,
# and answers 20 ms later, so report and answer come in the same read.
# The report rows are those of e1550.profile.

echo on
delay 20
report-on-command "\r\n^RSSI:17\r\n" "\r\n^BOOT:20952084,0,0,0,72\r\n" "\r\n^MODE:5,4\r\n" "\r\n^SRVST:2\r\n" "\r\n^SIMST:1\r\n" "\r\n^CSNR: -145,-32\r\n" "\r\n^HRSSILVL:72\r\n" "\r\n^CONN:1,0\r\n" "\r\n^DSFLOWRPT:00000210,00000000,00000000,0000000000000C58,0000000000000C5E,0010E000,0010E000\r\n" "\r\r^BOOT:20952084,0,0,0,72\r\r"

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Zentrix Telecom\r\n"
"Model: E1550\r\n"
"Revision: 11.608.12.02.143\r\n"
"IMEI: 354000000000017\r\n"
"+GCAP: +CGSM,+DS,+ES\r\n"
"\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E1550 11.608.12.02.143,CD1E1550M\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nZentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE1550\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.608.12.02.143\r\n\r\nOK\r\n"

> AT+CIMI
wait 10
"\r\n250990000000001\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n354000000000017\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CD1E1550M\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:2,3,0,5,1,,4\r\n"
wait 20
"\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 20,99\r\n\r\nOK\r\n"

> AT+COPS?
wait 30
"\r\n+COPS: 0,0,\"Alpha Net\",2\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG:2,2,3FFFFFFF,1,2\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Nov 11 2011, 10:20:30\r\n"
wait 20
"^VERSION:EXTD:UTPS11.301.05.00.143\r\n"
"^VERSION:INI:\r\n"
"^VERSION:TEMP:\r\n"
"\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 1,10,0\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
