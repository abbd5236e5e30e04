# A device that answers ERROR to every command, ATE0 included.

echo off

> ATE0
"\r\nERROR\r\n"

> *
"\r\nERROR\r\n"
