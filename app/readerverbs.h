// The reader and card verbs that run inline in the start-up once the port is
// open: card states, SAM authentication, PIN entry and unlock, the reader's
// clock, the last visit, the last sequence number, cancelling a registration,
// the online refresh and the emergency telephone number.
#pragma once

#include "app/verbs.h"

struct Run;

// Runs one of those verbs; false when `v` is not one of them.
bool runReaderVerb(Run& run, Verb v);
