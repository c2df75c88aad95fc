// The card-record archive: per card holder, the card reads in ic\dataZ
// (1500-byte records) and the treatments in ic\dataZ2 (3000-byte records),
// each with an index of 10-byte keys; the start-up maintenance that migrates
// older files and rebuilds a missing index; and the "/DataCase/" viewer.
#pragma once

#include <cstdint>
#include <string>

struct Run;

// Both stores: fixed-length records of key and text, no header; entry k of
// the index is the key of record k. Record numbers are 16-bit.
inline constexpr int kArchiveKeyWidth = 10;
inline constexpr int kCardReadRecord = 1500;   // ic\dataZ
inline constexpr int kTreatmentRecord = 3000;  // ic\dataZ2
inline constexpr int32_t kArchiveMaxRecords = 32767;
// The index is searched in blocks of this many bytes.
inline constexpr int kIndexBlock = 6000;

// The entry number of `key` in an index of `width`-byte entries; 0 when absent.
// Only whole entries count: the key must start at an entry boundary.
int32_t indexSearch(Run& run, const std::string& indexPath, const std::string& key, int width);
// Stores the card-read text of a holder (replacing the old one).
void save1500file(Run& run, const std::string& key, const std::string& text);
// Appends treatment text for a holder (keeping the newest 2990 bytes).
void save3000file(Run& run, const std::string& key, const std::string& text);
// The start-up maintenance: older per-holder files migrated, missing indexes rebuilt.
void archiveMaintenance(Run& run);
// "/DataCase/": shows everything held for one key in the main window.
void cmd_DataCase(Run& run);
