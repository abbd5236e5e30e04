# An E1550 that is pulled out of the USB port halfway through the query: it
# answers the first three commands (ATE0 included) and then vanishes.
# AT+UNPLUG makes it vanish at once, without an answer.

echo on
disconnect-after 3

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

> AT+UNPLUG
hangup

> *
"\r\nERROR\r\n"
