// --trace FILE: every exchange of one run of the command-line tool written
// as a modem-sim profile, so that a user's odd stick can be replayed (and
// kept as a regression test) without the stick.
#pragma once

// Takes "--trace FILE" out of argv (anywhere after the verb), opens FILE
// and starts recording; the profile is written when the program exits.
// Returns false, with a message on stderr, when FILE cannot be created or
// the option has no file name; true when there is no such option.
bool TakeTraceOption(int* argc, char** argv);
