// The card-record archive: per card holder, the card reads in ic\dataZ
// (1500-byte records) and the treatments in ic\dataZ2 (3000-byte records),
// each with an index of 10-byte keys; the start-up maintenance that migrates
// older files and rebuilds a missing index; and the "/DataCase/" viewer.
#pragma once

#include <cstdint>
#include <string>

struct Run;

// The entry number of `key` in an index of `width`-byte entries; 0 when absent.
int32_t indexSearch(Run& run, const std::string& indexPath, const std::string& key, int width);
// Stores the card-read text of a holder (replacing the old one).
void save1500file(Run& run, const std::string& key, const std::string& text);
// Appends treatment text for a holder (keeping the newest 2990 bytes).
void save3000file(Run& run, const std::string& key, const std::string& text);
// The start-up maintenance: older per-holder files migrated, missing indexes rebuilt.
void archiveMaintenance(Run& run);
// "/DataCase/": shows everything held for one key in the main window.
void cmd_DataCase(Run& run);
