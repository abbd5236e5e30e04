# LTE USB stick, model E3372, from the invented maker Zentrix Telecom.
# Newer firmware line: the system mode in ^SYSINFO is 17 (LTE), a value
# older lookup tables may not know. Pauses inside answers stay under 40 ms.

echo on

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Zentrix Telecom\r\n"
"Model: E3372\r\n"
"Revision: 22.315.01.00.143\r\n"
"IMEI: 354000000000025\r\n"
"+GCAP: +CGSM,+DS,+ES\r\n"
"\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E3372 22.315.01.00.143,CL2E3372HM\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nZentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE3372\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n22.315.01.00.143\r\n\r\nOK\r\n"

> AT+CIMI
wait 15
"\r\n250990000000002\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n354000000000025\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CL2E3372HM\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:2,3,0,17,1,,0\r\n"
wait 25
"\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 24,99\r\n\r\nOK\r\n"

> AT+COPS?
wait 30
"\r\n+COPS: 0,0,\"Beta Mobile\",7\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG:16,3,40000000,2,4\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Mar 04 2015, 16:42:07\r\n"
wait 20
"^VERSION:EXTD:21.180.01.00.00\r\n"
"^VERSION:INI:\r\n"
"^VERSION:TEMP:\r\n"
"\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
