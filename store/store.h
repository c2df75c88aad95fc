// The card-record stores: per card holder, the card reads in ic\dataZ
// (1500-byte records) and the treatments in ic\dataZ2 (3000-byte records),
// each with an index of 10-byte keys, and the migration of the older
// per-holder files under ic\data\. They need only the disk and the working
// folder; what a failure means for the run is the caller's to decide.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/files.h"

struct Disk;

// Both stores: fixed-length records of key and text, no header; entry k of
// the index is the key of record k. Record numbers are 16-bit.
inline constexpr int kArchiveKeyWidth = 10;
inline constexpr int kCardReadRecord = 1500;   // ic\dataZ
inline constexpr int kTreatmentRecord = 3000;  // ic\dataZ2
inline constexpr int32_t kArchiveMaxRecords = 32767;
// The index is searched in blocks of this many bytes.
inline constexpr int kIndexBlock = 6000;
// Every change of the stores, and the upload archive and register beside
// them, is made holding this file's lock (other runs wait up to 10 seconds).
inline constexpr const char* kArchiveLock = kWorkFolderLock;
// The code of a save that could not have the lock: nothing was written.
inline constexpr int32_t kErrStoreBusy = 70;

struct Store {
  const char* file;
  const char* index;
  const char* name;   // in the progress texts
  const char* older;  // the older per-holder files, a file-list pattern
  bool exactName;     // an older file's name is "Z" + key exactly, not "Z" + key + more
  int64_t record;
  bool appends;  // new text follows the old and the newest part is kept
  int64_t text() const { return record - kArchiveKeyWidth; }
};

inline constexpr Store kCardReads{"ic\\dataZ", "ic\\dataZ.ind", "dataZ", "Z??????????", true,
                                  kCardReadRecord, false};
inline constexpr Store kTreatments{"ic\\dataZ2", "ic\\dataZ2.ind", "dataZ2", "Z??????????_2",
                                   false, kTreatmentRecord, true};

// A progress text for the waiting window.
using StoreProgress = std::function<void(const std::string&)>;

// The 10-byte key field for a key as the callers pass it.
std::string keyField(const std::string& key);

// The entry number of `key` in an index of `width`-byte entries; 0 when absent.
// Only whole entries count: the key must start at an entry boundary.
int32_t indexSearch(Disk& disk, const std::string& indexPath, const std::string& key, int width);

// Stores the card-read text of a holder (replacing the old one); the
// runtime's code of a failure, 0 when stored or when there is no store.
int32_t save1500file(Disk& disk, const std::string& workDir, const std::string& key,
                     const std::string& text);
// Appends treatment text for a holder (keeping the newest 2990 bytes); the
// runtime's code of a failure (kErrStoreBusy when another run held the store
// too long), 0 when stored or when there is no store.
int32_t save3000file(Disk& disk, const std::string& workDir, const std::string& key,
                     const std::string& text);

// The start-up maintenance of both stores: a missing index rebuilt, the older
// per-holder files moved in. The code of the last failure, 0 when none.
int32_t migrateArchive(Disk& disk, const std::string& workDir, const StoreProgress& progress);

// The text of record n of a store when that record holds the key.
bool heldText(Disk& disk, const std::string& workDir, const Store& s, const std::string& key,
              int32_t n, std::string& text);

// A text file of one holder, up to its first MB.
bool readHolderText(Disk& disk, const std::string& path, std::string& data);
