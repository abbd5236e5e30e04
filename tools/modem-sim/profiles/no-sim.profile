# An E1550 with no SIM card inserted: the SIM-related commands answer with
# +CME ERROR, there is no operator (+COPS gives the mode alone), the signal
# cannot be measured (99), and AT^SYSINFO gives only five fields.

echo on

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Zentrix Telecom\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\n"
"IMEI: 354000000000058\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E1550 11.608.12.02.143,CD1E1550M\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nZentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE1550\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.608.12.02.143\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n+CME ERROR: SIM not inserted\r\n"

> AT+CGSN
"\r\n354000000000058\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CD1E1550M\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:1,0,0,0,255\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CME ERROR: SIM not inserted\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 99,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG:2,0,3FFFFFFF,1,2\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Nov 11 2011, 10:20:30\r\n^VERSION:EXTD:UTPS11.301.05.00.143\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"
