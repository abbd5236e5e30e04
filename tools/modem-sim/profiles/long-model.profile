# A device whose model name is 300 characters long: the scan lists it with
# the name cut so that the whole entry fits 255 characters.

echo off

> AT+CGMM
"\r\nLongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-LongModelName-XXXXXX\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
