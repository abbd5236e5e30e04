# Real stick: 3G stick E1752 (model name E1752C), maker invented (Zentrix).
# From gammu's AT logs in gammu/gammu issues #138 and #292: the model name
# E1752C, "COMMAND NOT SUPPORT" for a command it does not know, and the
# unsolicited ^BOOT:35323129,0,0,0,26 it sends on its own while idle, here
# on a 500 ms clock. The firmware version, IMEI and IMSI are made up. Every
# command the published logs do not show gets COMMAND NOT SUPPORT.

echo on
reports every 500 "\r\n^BOOT:35323129,0,0,0,26\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE1752C\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.126.00.00.000\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000085\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n353000000000069\r\n\r\nOK\r\n"

> *
"\r\nCOMMAND NOT SUPPORT\r\n"
