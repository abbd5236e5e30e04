# An E1550 (Zentrix Telecom) that sends nothing but reports after AT+CIMI,
# a byte every 40 ms for ever: "^RSSI:17" lines that never end in an
# answer, and never in the 50 ms of quiet that end a reply. The commands
# before it are answered as by e1550.profile; the rows are those of
# hang.profile.

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
drip 40 repeat 100000000 "\r\n^RSSI:17\r\n"
