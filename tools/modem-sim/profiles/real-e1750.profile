# Real stick: 3G stick E1750, maker invented (Zentrix). From gammu's AT log
# in gammu/gammu issue #94: AT+CGMM answered "E1750", and a command it
# does not know answered "COMMAND NOT SUPPORT". It answers SIM and network
# commands slowly: a report at once, the answer 150 ms later (echo off, as
# a session before left it). The firmware version, IMEI and IMSI are made
# up. Every command the published log does not show gets COMMAND NOT
# SUPPORT.

echo off
delay 150
report-on-command "\r\n^RSSI:14\r\n" "\r\n^MODE:5,4\r\n" "\r\n^SRVST:2\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE1750\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n11.126.00.00.000\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000091\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n353000000000075\r\n\r\nOK\r\n"

> *
"\r\nCOMMAND NOT SUPPORT\r\n"
