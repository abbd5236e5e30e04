# A device whose model answer begins 900 ms after AT+CGMM and goes on, in
# pieces 30 ms apart, until about 1.35 s: still coming when the scan's 1 s
# wait for it to begin runs out. The scan reads an answer that has begun to
# its end and lists it; the terminal's 2 s wait gets all of it too.

echo off

> ATE0
"\r\nOK\r\n"

> AT+CGMM
wait 900
"\r\nS0" wait 30 "S1" wait 30 "S2" wait 30 "S3" wait 30 "S4" wait 30 "S5" wait 30 "S6" wait 30 "S7"
wait 30 "S8" wait 30 "S9" wait 30 "SA" wait 30 "SB" wait 30 "SC" wait 30 "SD" wait 30 "SE\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
