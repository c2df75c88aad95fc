#include "store/store.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

#include "frame/files.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "platform/platform.h"

namespace {

constexpr int64_t kKey = kArchiveKeyWidth;
constexpr int64_t kIndexRead = int64_t{kIndexBlock} * 64;  // a full index in one read
static_assert(kIndexRead % kIndexBlock == 0, "reads keep the search blocks whole");
constexpr int64_t kRebuildRead = 240000;  // store bytes per read of the rebuild
// An older or "_3" file is read up to here: more is no text of one holder.
constexpr int64_t kTextFileCap = 1 << 20;
constexpr int32_t kErrOverflow = 6;  // the runtime's overflow: record 32768 does not exist
// How long a run waits for another run's save before giving up.
constexpr int kLockWaitMs = 10000;

// Where one pass works and what it found: the failure code of the last step
// that failed, 0 when none did.
struct Place {
  Disk& disk;
  std::string dir;
  StoreProgress progress;
  int32_t status = 0;
};

// The text field of a record: the text's first bytes (or, in a store that
// keeps the newest, its last), never half a character, padded with blanks.
std::string textField(const Store& s, const std::string& text) {
  const size_t width = static_cast<size_t>(s.text());
  size_t b = 0, e = 0;
  if (s.appends) {
    while (text.size() - b > width) b += cp950::charBytes(text, b);
    e = text.size();
  } else {
    while (e < text.size() && e + cp950::charBytes(text, e) <= width) e += cp950::charBytes(text, e);
  }
  std::string f = text.substr(b, e - b);
  f.resize(width, ' ');
  return f;
}

// A text file of one holder, up to its first MB.
bool readText(Place& p, const std::string& path, std::string& data) {
  auto length = p.disk.length(path);
  if (!length || p.disk.isFolder(path)) return false;
  return p.disk.readAt(path, 0, static_cast<size_t>(std::min<int64_t>(*length, kTextFileCap)),
                         data);
}

// A store's record count: its length in records rounded to the nearest whole
// number (halves to even, as the runtime rounds), so a torn last record of
// less than half a record does not count and one of more does.
int64_t recordCount(int64_t length, int64_t record) {
  const int64_t q = length / record, r = length % record;
  return q + (2 * r > record || (2 * r == record && q % 2 == 1) ? 1 : 0);
}

// The lengths of a store and its index (0 when missing).
struct Shape {
  int64_t storeLength = 0, indexLength = 0;
  int64_t count(const Store& s) const { return recordCount(storeLength, s.record); }
};

Shape shapeOf(Place& p, const Store& s) {
  return {p.disk.length(p.dir + s.file).value_or(0),
          p.disk.length(p.dir + s.index).value_or(0)};
}

// Whole entries, and one entry for every record.
bool inStep(const Shape& sh, const Store& s) {
  return sh.indexLength % kKey == 0 && sh.indexLength / kKey == sh.count(s);
}

// Writes into an existing file, never past its end: a gap would be filled
// with NUL bytes, which an index would then hold as entries.
bool putAt(Disk& disk, const std::string& path, int64_t offset, const std::string& data) {
  const auto length = disk.length(path);
  return length && offset <= *length && !disk.isFolder(path) && disk.writeAt(path, offset, data);
}

// A new record goes at the boundary after the last counted one: over a torn
// tail that does not count, or after one that does, completed with blanks.
bool putRecord(Disk& disk, const std::string& store, int64_t length, int64_t count,
               const Store& s, const std::string& records) {
  const int64_t at = count * s.record;
  if (at <= length) return putAt(disk, store, at, records);
  return putAt(disk, store, length, std::string(static_cast<size_t>(at - length), ' ') + records);
}

enum class Put { Stored, NoStore, OutOfStep, Full, Failed, Busy };

// Writes the text for a key into record n, or as a new record at the end when
// n is 0 (its index entry after it). Nothing is written to a store and index
// out of step, over a record that holds another key, or past record 32767.
Put put(Place& p, const Store& s, const std::string& key, int32_t n, const std::string& text) {
  const Shape sh = shapeOf(p, s);
  if (!inStep(sh, s)) return Put::OutOfStep;
  const int64_t count = sh.count(s);
  const std::string store = p.dir + s.file;
  if (n > 0) {
    if (n > count) return Put::OutOfStep;
    const int64_t at = (n - 1) * s.record;
    std::string held;
    // The last record may be torn: what it lacks reads as blanks.
    if (!p.disk.readAt(store, at, static_cast<size_t>(s.record), held) ||
        held.size() < static_cast<size_t>(kKey))
      return Put::Failed;
    if (held.compare(0, kKey, key) != 0) return Put::OutOfStep;
    const std::string body = s.appends ? vbRTrim(held.substr(kKey)) + text : text;
    return putAt(p.disk, store, at + kKey, textField(s, body)) ? Put::Stored : Put::Failed;
  }
  if (count >= kArchiveMaxRecords) return Put::Full;
  // The record first: a failure between the two leaves a store longer than its
  // index, which the next save finds out of step; no record is lost either way.
  if (!putRecord(p.disk, store, sh.storeLength, count, s, key + textField(s, text)))
    return Put::Failed;
  if (!putAt(p.disk, p.dir + s.index, count * kKey, key)) return Put::Failed;
  return Put::Stored;
}

int32_t failureCode(Put r) {
  switch (r) {
    case Put::Full: return kErrOverflow;
    case Put::Failed: return kErrFileAccess;
    case Put::Busy: return kErrStoreBusy;
    default: return 0;
  }
}

// save1500file and save3000file: only into an existing store and index; an
// index found out of step is deleted, to be rebuilt at the next start. The
// whole read-check-write holds the archive's lock: two runs saving at once
// would otherwise write their records at the same place.
Put save(Place& p, const Store& s, const std::string& key, const std::string& text) {
  const std::string index = p.dir + s.index;
  if (!p.disk.exists(p.dir + s.file) || !p.disk.exists(index)) return Put::NoStore;
  const auto lock = p.disk.lock(p.dir + kArchiveLock, kLockWaitMs);
  if (!lock) return Put::Busy;
  if (!p.disk.exists(p.dir + s.file) || !p.disk.exists(index)) return Put::NoStore;
  const std::string k = keyField(key);
  const Put r = put(p, s, k, indexSearch(p.disk, index, k, kKey), text);
  if (r == Put::OutOfStep) p.disk.remove(index);
  return r;
}

// ---- start-up maintenance

// The index of an existing store can be trusted: it is there, has one whole
// entry for every record, no entry is blank or holds a NUL (a gap an
// interrupted write left), and its first and last entries are the keys of
// the first and last records. Anything else is rebuilt from the store.
bool indexSound(Place& p, const Store& s) {
  const std::string store = p.dir + s.file, index = p.dir + s.index;
  if (!p.disk.exists(index) || p.disk.isFolder(index)) return false;
  const Shape sh = shapeOf(p, s);
  if (!inStep(sh, s)) return false;
  const int64_t n = sh.count(s);
  if (n == 0) return true;
  std::string keys;
  if (!p.disk.readAt(index, 0, static_cast<size_t>(sh.indexLength), keys) ||
      static_cast<int64_t>(keys.size()) != sh.indexLength)
    return false;
  if (keys.find('\0') != std::string::npos) return false;
  for (size_t e = 0; e < keys.size(); e += kKey)
    if (keys.find_first_not_of(' ', e) >= e + kKey) return false;
  std::string first, last;
  return p.disk.readAt(store, 0, kKey, first) && first == keys.substr(0, kKey) &&
         p.disk.readAt(store, (n - 1) * s.record, kKey, last) &&
         last == keys.substr(keys.size() - kKey);
}

// The progress text, passed on only when it changes.
struct Progress {
  const StoreProgress& report;
  std::string shown;
  void show(const std::string& text) {
    if (text == shown) return;
    shown = text;
    if (report) report(text);
  }
};

// part × 100 ÷ whole with no decimals, halves rounded up.
std::string percent(int64_t part, int64_t whole) {
  return std::to_string((part * 200 + whole) / (2 * whole));
}

// Writes the index anew from the keys of the store's whole records. The keys
// go to a temporary file that replaces the index only when complete.
void rebuildIndex(Place& p, const Store& s) {
  const std::string store = p.dir + s.file, index = p.dir + s.index;
  const int64_t n = recordCount(p.disk.length(store).value_or(0), s.record);
  const int64_t perRead = std::max<int64_t>(1, kRebuildRead / s.record);
  const std::string label = std::string(" %  ") + s.name + ".ind";
  Progress progress{p.progress, {}};
  std::string keys;
  keys.reserve(static_cast<size_t>(n * kKey));
  for (int64_t first = 0; first < n; first += perRead) {
    const int64_t count = std::min(perRead, n - first);
    std::string data;
    // A torn last record that counts still holds its key (it is more than half).
    if (!p.disk.readAt(store, first * s.record, static_cast<size_t>(count * s.record), data) ||
        static_cast<int64_t>(data.size()) < (count - 1) * s.record + kKey) {
      p.status = kErrFileAccess;
      return;
    }
    for (int64_t i = 0; i < count; ++i) {
      progress.show(percent(first + i + 1, n) + label);
      keys.append(data, static_cast<size_t>(i * s.record), kKey);
    }
  }
  const std::string fresh = index + ".new";
  if (!p.disk.write(fresh, keys) || !p.disk.rename(fresh, index)) {
    p.disk.remove(fresh);
    p.status = kErrFileAccess;
  }
}

// The index in memory for the migration: key -> first entry holding it, the
// same answer indexSearch gives, without reading the index once per file.
using Keys = std::unordered_map<std::string, int32_t>;

void loadKeys(Place& p, const Store& s, Keys& keys) {
  keys.clear();
  const std::string index = p.dir + s.index;
  const int64_t length = p.disk.length(index).value_or(0);
  for (int64_t at = 0; at < length; at += kIndexRead) {
    std::string data;
    if (!p.disk.readAt(index, at, static_cast<size_t>(std::min(kIndexRead, length - at)), data))
      return;
    for (size_t e = 0; e + kKey <= data.size(); e += kKey)
      keys.emplace(data.substr(e, kKey),
                   static_cast<int32_t>((at + static_cast<int64_t>(e)) / kKey + 1));
    if (data.empty()) return;
  }
}

// The key an older file's name gives: characters 2 to 11, which must be ten
// single bytes to fill the key field.
bool olderKey(const std::string& name, const Store& s, std::string& key) {
  if (name.size() < 2) return false;
  const size_t chars = vbLen(name.substr(1));
  if (s.exactName ? chars != 10 : chars < 10) return false;
  key = vbMid(name, 2, 10);
  return key.size() == static_cast<size_t>(kKey);
}

// An older file's text: every line followed by CR LF.
bool olderText(Place& p, const std::string& path, std::string& text) {
  std::string data;
  if (!readText(p, path, data)) return false;
  text.clear();
  for (const std::string& line : splitLines(data)) text += line + "\r\n";
  return true;
}

// One store's migration: the store's shape is checked once and then kept in
// memory, and new records go to the store and the index in batches. An older
// file is deleted only once its text is on disk.
struct Migration {
  Migration(Place& pl, const Store& st) : p(pl), s(st) {}
  Place& p;
  const Store& s;
  bool started = false;
  int64_t count = 0;               // records on disk
  int64_t length = 0;              // the store's length on disk
  Keys keys;                       // key -> record, the batch's included
  std::string records, entries;    // the batch: new records and their index entries
  std::vector<std::string> files;  // the older files the batch holds the text of

  // False when the store and its index are out of step.
  bool start() {
    const Shape sh = shapeOf(p, s);
    records.clear();
    entries.clear();
    files.clear();
    started = inStep(sh, s);
    if (!started) return false;
    count = sh.count(s);
    length = sh.storeLength;
    loadKeys(p, s, keys);
    return true;
  }

  Put add(const std::string& key, const std::string& text, const std::string& older) {
    const std::string store = p.dir + s.file;
    if (auto it = keys.find(key); it != keys.end()) {
      const int64_t n = it->second;
      if (n > count && !flush()) return Put::Failed;
      if (n > count) return Put::OutOfStep;
      std::string held;
      if (!p.disk.readAt(store, (n - 1) * s.record, kKey, held)) return Put::Failed;
      if (held != key) return Put::OutOfStep;
      if (!putAt(p.disk, store, (n - 1) * s.record + kKey, textField(s, text)))
        return Put::Failed;
      p.disk.remove(older);
      return Put::Stored;
    }
    const int64_t next = count + static_cast<int64_t>(entries.size()) / kKey;
    if (next >= kArchiveMaxRecords) return Put::Full;
    records += key + textField(s, text);
    entries += key;
    files.push_back(older);
    keys.emplace(key, static_cast<int32_t>(next + 1));
    if (records.size() >= static_cast<size_t>(kRebuildRead))
      return flush() ? Put::Stored : Put::Failed;
    return Put::Stored;
  }

  // The records first, then their entries: a failure between the two leaves a
  // store longer than its index, which the next save finds out of step.
  bool flush() {
    if (entries.empty()) return true;
    const std::string store = p.dir + s.file, index = p.dir + s.index;
    // The migration creates a missing store and index (the saves never do).
    for (const std::string& f : {store, index})
      if (!p.disk.exists(f) && !p.disk.write(f, "")) {
        p.status = kErrFileAccess;
        started = false;
        return false;
      }
    if (!putRecord(p.disk, store, length, count, s, records) ||
        !putAt(p.disk, index, count * kKey, entries)) {
      p.status = kErrFileAccess;
      started = false;
      return false;
    }
    count += static_cast<int64_t>(entries.size()) / kKey;
    length = count * s.record;
    for (const std::string& f : files) p.disk.remove(f);
    records.clear();
    entries.clear();
    files.clear();
    return true;
  }

  // Found out of step: the index is rebuilt from the store at once.
  bool restart() {
    if (!flush()) return false;
    p.disk.remove(p.dir + s.index);
    rebuildIndex(p, s);
    return start();
  }
};

// One store's pass: the index rebuilt when missing, then every older file
// moved in. The migrated text replaces a stored one of the same key.
void migrate(Place& p, const Store& s) {
  const std::vector<std::string> names = p.disk.list(p.dir + "ic\\data", s.older);
  const std::string store = p.dir + s.file, index = p.dir + s.index;
  if (p.disk.exists(store) && !indexSound(p, s)) {
    p.disk.remove(index);
    rebuildIndex(p, s);
  }

  Progress progress{p.progress, {}};
  Migration m(p, s);
  bool rebuilt = false;
  const int64_t count = static_cast<int64_t>(names.size());
  for (int64_t i = 0; i < count; ++i) {
    const std::string& name = names[static_cast<size_t>(i)];
    const std::string path = p.dir + "ic\\data\\" + name;
    std::string key, text;
    if (!olderKey(name, s, key)) continue;
    progress.show(percent(i, count) + " %  " + s.name);
    if (!olderText(p, path, text)) continue;  // gone meanwhile
    if (!m.started && !m.start()) {
      if (rebuilt) return;
      rebuilt = true;
      if (!m.restart()) return;
    }
    Put r = m.add(key, text, path);
    if (r == Put::OutOfStep && !rebuilt) {
      rebuilt = true;
      if (!m.restart()) return;
      r = m.add(key, text, path);
    }
    if (r == Put::Failed) p.status = kErrFileAccess;
    if (r == Put::OutOfStep || r == Put::Failed) break;  // the remaining older files stay
  }
  m.flush();
}

}  // namespace

int32_t indexSearch(Disk& disk, const std::string& indexPath, const std::string& key, int width) {
  if (width <= 0 || key.empty() || key.size() > static_cast<size_t>(width)) return 0;
  auto length = disk.length(indexPath);
  if (!length) return 0;
  const int64_t w = width, k = static_cast<int64_t>(key.size());
  for (int64_t at = 0; at < *length; at += kIndexRead) {
    std::string data;
    if (!disk.readAt(indexPath, at, static_cast<size_t>(std::min(kIndexRead, *length - at)),
                         data))
      return 0;
    const int64_t got = static_cast<int64_t>(data.size());
    for (int64_t b = 0; b < got; b += kIndexBlock) {
      // Entries that start inside this block and whose key part lies in it.
      const int64_t blockEnd = at + std::min<int64_t>(b + kIndexBlock, got);
      for (int64_t e = (at + b + w - 1) / w * w; e + k <= blockEnd; e += w)
        if (data.compare(static_cast<size_t>(e - at), static_cast<size_t>(k), key) == 0)
          return static_cast<int32_t>(
              std::min<int64_t>(e / w + 1, std::numeric_limits<int32_t>::max()));
    }
    if (got == 0) break;
  }
  return 0;
}

int32_t save1500file(Disk& disk, const std::string& workDir, const std::string& key,
                     const std::string& text) {
  Place p{disk, workDir, {}};
  return failureCode(save(p, kCardReads, key, text));
}

int32_t save3000file(Disk& disk, const std::string& workDir, const std::string& key,
                     const std::string& text) {
  Place p{disk, workDir, {}};
  return failureCode(save(p, kTreatments, key, text));
}

int32_t migrateArchive(Disk& disk, const std::string& workDir, const StoreProgress& progress) {
  Place p{disk, workDir, progress};
  const auto lock = disk.lock(workDir + kArchiveLock, kLockWaitMs);
  if (!lock) return kErrStoreBusy;
  migrate(p, kCardReads);
  migrate(p, kTreatments);
  return p.status;
}

bool heldText(Disk& disk, const std::string& workDir, const Store& s, const std::string& key,
              int32_t n, std::string& text) {
  std::string held;
  const bool ok = n > 0 &&
                  disk.readAt(workDir + s.file, (int64_t{n} - 1) * s.record,
                              static_cast<size_t>(s.record), held) &&
                  static_cast<int64_t>(held.size()) == s.record &&
                  held.compare(0, kKey, keyField(key)) == 0;
  if (ok) text = vbRTrim(held.substr(kKey));
  return ok;
}

bool readHolderText(Disk& disk, const std::string& path, std::string& data) {
  Place p{disk, {}, {}};
  return readText(p, path, data);
}

std::string keyField(const std::string& key) {
  std::string k = key.substr(0, kKey);
  k.resize(kKey, ' ');
  return k;
}
