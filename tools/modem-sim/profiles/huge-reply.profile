# An E1550 whose ATI answer runs past 65,535 bytes (a firmware dumping its
# log): the first read is cut at 65,535 bytes and the rest arrives with the
# next command's answer.

echo on

> ATI
"\r\nManufacturer: Zentrix Telecom\r\nModel: E1550\r\n"
repeat 1600 "LOG 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n"
"IMEI: 354000000000017\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E1550 11.608.12.02.143,CD1E1550M\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nZentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE1550\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 14,99\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"
