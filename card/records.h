// The record helpers the card verbs share: the identity check before any card
// write, the institution-name search, the six-visit summary, the portal page
// and the log-list routines.
#pragma once

#include "frame/endsrun.h"

#include <cstdint>
#include <string>

struct Run;

// Reads the card's basic data and compares its
// identity number with the first 10 characters of `id`; on a mismatch (after
// one re-read on a configured port) ends the run. Returns the 78-byte
// card-holder record it read.
MAY_END_RUN std::string comaprecode(Run& run, const std::string& id);
// The short name of an institution, from the OffsCode cache or (flag 0) from
// OTH03003.txt; the code itself when nothing is found.
std::string GetOffsCode(Run& run, const std::string& code, int16_t flag);
// The six-visit summary text of the card in the reader.
MAY_END_RUN std::string Data6Times(Run& run);
// Opens the page when the setting ic2net2 allows; 1 when it did.
int16_t HttpicExecute(Run& run, const std::string& url);
// A save into the card-record archive answered `code`: lastStatus takes it,
// and a failure is said in red (the card was read or written all the same).
MAY_END_RUN void archiveSaved(Run& run, int32_t code);
// Adds a text to the log list, one line per CR LF piece.
void lst1additm(Run& run, const std::string& text);
// Prints the log list into IcDatTmp.txt and keeps a copy under ic\data\.
MAY_END_RUN void List1DataSave(Run& run);

// The cache OffsCode: 30-byte records, the code in the first 10 bytes and the
// short name in the other 20.
inline constexpr int kOffsRecord = 30, kOffsCodeWidth = 10, kOffsNameWidth = 20;
// OTH03003.txt is searched in blocks of this size.
inline constexpr int kOthBlock = 12000;

// The holder a log list belongs to: the identity number its report lines
// name; empty when that is no plain 10-character identity. List1DataSave
// files its copy under it.
std::string listHolder(Run& run);
