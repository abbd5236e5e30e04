# An E1550 (Zentrix Telecom) whose SIM is slow to give its IMSI: the
# answer to AT+CIMI comes 2.5 s after the command, past the 2 s an answer
# has to begin; every other answer comes at once. The stick answers in
# order, so a command sent meanwhile is answered after the IMSI. The rows
# are those of e1550.profile.

echo on

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
wait 2500
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
