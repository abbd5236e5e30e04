# A simple 3G stick, model E173, whose echo cannot be switched off: ATE0 is
# answered with OK but every byte keeps coming back. The client must cope
# with its own commands at the start of every reply. It knows the standard
# commands only; vendor "^" commands get ERROR.

echo locked

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Zentrix Telecom\r\n"
"Model: E173\r\n"
"Revision: 11.126.85.00.209\r\n"
"IMEI: 354000000000041\r\n"
"+GCAP: +CGSM,+DS,+ES\r\n"
"\r\nOK\r\n"

> AT+CGMI
"\r\nZentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE173\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.126.85.00.209\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000004\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n354000000000041\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 12,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"Alpha Net\",0\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
