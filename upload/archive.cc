#include "archive.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

#include "cp950.h"
#include "files.h"
#include "progress.h"
#include "records.h"
#include "run.h"
#include "vbtext.h"

namespace {

constexpr int64_t kKey = kArchiveKeyWidth;
constexpr int64_t kIndexRead = int64_t{kIndexBlock} * 64;  // a full index in one read
static_assert(kIndexRead % kIndexBlock == 0, "reads keep the search blocks whole");
constexpr int64_t kRebuildRead = 240000;  // store bytes per read of the rebuild
// An older or "_3" file is read up to here: more is no text of one holder.
constexpr int64_t kTextFileCap = 1 << 20;
constexpr int32_t kErrOverflow = 6;  // the runtime's overflow: record 32768 does not exist

// List1 at the main window's design size; the viewer sizes the window to it
// with the margins Form_Resize keeps.
constexpr int kListWidth = 9240, kListHeight = 6560;
constexpr int kMainExtraWidth = 360, kMainExtraHeight = 640;
constexpr int kViewerLeft = 500, kViewerTop = 500;
const char* const kSeparator = "=======================================";

struct Store {
  const char* file;
  const char* index;
  const char* name;   // in the progress texts
  const char* older;  // the older per-holder files, a file-list pattern
  bool exactName;     // an older file's name is "Z" + key exactly, not "Z" + key + more
  int64_t record;
  bool appends;  // new text follows the old and the newest part is kept
  int64_t text() const { return record - kKey; }
};

constexpr Store kCardReads{"ic\\dataZ", "ic\\dataZ.ind", "dataZ", "Z??????????", true,
                           kCardReadRecord, false};
constexpr Store kTreatments{"ic\\dataZ2", "ic\\dataZ2.ind", "dataZ2", "Z??????????_2", false,
                            kTreatmentRecord, true};

size_t charBytes(const std::string& s, size_t i) {
  return cp950::isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// The text field of a record: the text's first bytes (or, in a store that
// keeps the newest, its last), never half a character, padded with blanks.
std::string textField(const Store& s, const std::string& text) {
  const size_t width = static_cast<size_t>(s.text());
  size_t b = 0, e = 0;
  if (s.appends) {
    while (text.size() - b > width) b += charBytes(text, b);
    e = text.size();
  } else {
    while (e < text.size() && e + charBytes(text, e) <= width) e += charBytes(text, e);
  }
  std::string f = text.substr(b, e - b);
  f.resize(width, ' ');
  return f;
}

// The 10-byte key field for a key as the callers pass it.
std::string keyField(const std::string& key) {
  std::string k = key.substr(0, kKey);
  k.resize(kKey, ' ');
  return k;
}

// A text file of one holder, up to its first MB.
bool readText(Run& run, const std::string& path, std::string& data) {
  auto length = run.disk.length(path);
  if (!length || run.disk.isFolder(path)) return false;
  return run.disk.readAt(path, 0, static_cast<size_t>(std::min<int64_t>(*length, kTextFileCap)),
                         data);
}

// The lengths of a store and its index (0 when missing).
struct Shape {
  int64_t storeLength = 0, indexLength = 0;
};

Shape shapeOf(Run& run, const Store& s) {
  return {run.disk.length(run.workDir + s.file).value_or(0),
          run.disk.length(run.workDir + s.index).value_or(0)};
}

// Whole records, whole entries, and one entry for every record.
bool inStep(const Shape& sh, const Store& s) {
  return sh.storeLength % s.record == 0 && sh.indexLength % kKey == 0 &&
         sh.indexLength / kKey == sh.storeLength / s.record;
}

enum class Put { Stored, NoStore, OutOfStep, Full, Failed };

// Writes the text for a key into record n, or as a new record at the end when
// n is 0 (its index entry after it). Nothing is written to a store and index
// out of step, over a record that holds another key, or past record 32767.
Put put(Run& run, const Store& s, const std::string& key, int32_t n, const std::string& text) {
  const Shape sh = shapeOf(run, s);
  if (!inStep(sh, s)) return Put::OutOfStep;
  const int64_t count = sh.storeLength / s.record;
  const std::string store = run.workDir + s.file;
  if (n > 0) {
    if (n > count) return Put::OutOfStep;
    const int64_t at = (n - 1) * s.record;
    std::string held;
    if (!run.disk.readAt(store, at, static_cast<size_t>(s.record), held) ||
        static_cast<int64_t>(held.size()) != s.record)
      return Put::Failed;
    if (held.compare(0, kKey, key) != 0) return Put::OutOfStep;
    const std::string body = s.appends ? vbRTrim(held.substr(kKey)) + text : text;
    return run.disk.writeAt(store, at + kKey, textField(s, body)) ? Put::Stored : Put::Failed;
  }
  if (count >= kArchiveMaxRecords) return Put::Full;
  // The record first: a failure between the two leaves a store longer than its
  // index, which the next save finds out of step; no record is lost either way.
  if (!run.disk.writeAt(store, count * s.record, key + textField(s, text))) return Put::Failed;
  if (!run.disk.writeAt(run.workDir + s.index, count * kKey, key)) return Put::Failed;
  return Put::Stored;
}

int32_t failureCode(Put r) {
  switch (r) {
    case Put::Full: return kErrOverflow;
    case Put::Failed: return kErrFileAccess;
    default: return 0;
  }
}

// save1500file and save3000file: only into an existing store and index; an
// index found out of step is deleted, to be rebuilt at the next start.
Put save(Run& run, const Store& s, const std::string& key, const std::string& text) {
  const std::string index = run.workDir + s.index;
  if (!run.disk.exists(run.workDir + s.file) || !run.disk.exists(index)) return Put::NoStore;
  const std::string k = keyField(key);
  const Put r = put(run, s, k, indexSearch(run, index, k, kKey), text);
  if (r == Put::OutOfStep) killFile(run, index);
  return r;
}

// ---- start-up maintenance

// The waiting window's progress text, shown only when it changes.
struct Progress {
  Run& run;
  std::string shown;
  void show(const std::string& text) {
    if (text == shown) return;
    shown = text;
    showWaiting(run, text);
  }
};

// part × 100 ÷ whole with no decimals, halves rounded up.
std::string percent(int64_t part, int64_t whole) {
  return std::to_string((part * 200 + whole) / (2 * whole));
}

// Writes the index anew from the keys of the store's whole records. The keys
// go to a temporary file that replaces the index only when complete.
void rebuildIndex(Run& run, const Store& s) {
  const std::string store = run.workDir + s.file, index = run.workDir + s.index;
  const int64_t n = run.disk.length(store).value_or(0) / s.record;
  const int64_t perRead = std::max<int64_t>(1, kRebuildRead / s.record);
  const std::string label = std::string(" %  ") + s.name + ".ind";
  Progress progress{run, {}};
  std::string keys;
  keys.reserve(static_cast<size_t>(n * kKey));
  for (int64_t first = 0; first < n; first += perRead) {
    const int64_t count = std::min(perRead, n - first);
    std::string data;
    if (!run.disk.readAt(store, first * s.record, static_cast<size_t>(count * s.record), data) ||
        static_cast<int64_t>(data.size()) != count * s.record) {
      run.lastStatus = kErrFileAccess;
      return;
    }
    for (int64_t i = 0; i < count; ++i) {
      progress.show(percent(first + i + 1, n) + label);
      keys.append(data, static_cast<size_t>(i * s.record), kKey);
    }
  }
  const std::string fresh = index + ".new";
  if (!run.disk.write(fresh, keys) || !run.disk.rename(fresh, index)) {
    run.disk.remove(fresh);
    run.lastStatus = kErrFileAccess;
  }
}

// The index in memory for the migration: key -> first entry holding it, the
// same answer indexSearch gives, without reading the index once per file.
using Keys = std::unordered_map<std::string, int32_t>;

void loadKeys(Run& run, const Store& s, Keys& keys) {
  keys.clear();
  const std::string index = run.workDir + s.index;
  const int64_t length = run.disk.length(index).value_or(0);
  for (int64_t at = 0; at < length; at += kIndexRead) {
    std::string data;
    if (!run.disk.readAt(index, at, static_cast<size_t>(std::min(kIndexRead, length - at)), data))
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
bool olderText(Run& run, const std::string& path, std::string& text) {
  std::string data;
  if (!readText(run, path, data)) return false;
  text.clear();
  for (const std::string& line : splitLines(data)) text += line + "\r\n";
  return true;
}

// One store's migration: the store's shape is checked once and then kept in
// memory, and new records go to the store and the index in batches. An older
// file is deleted only once its text is on disk.
struct Migration {
  Migration(Run& r, const Store& st) : run(r), s(st) {}
  Run& run;
  const Store& s;
  bool started = false;
  int64_t count = 0;               // records on disk
  Keys keys;                       // key -> record, the batch's included
  std::string records, entries;    // the batch: new records and their index entries
  std::vector<std::string> files;  // the older files the batch holds the text of

  // False when the store and its index are out of step.
  bool start() {
    const Shape sh = shapeOf(run, s);
    records.clear();
    entries.clear();
    files.clear();
    started = inStep(sh, s);
    if (!started) return false;
    count = sh.storeLength / s.record;
    loadKeys(run, s, keys);
    return true;
  }

  Put add(const std::string& key, const std::string& text, const std::string& older) {
    const std::string store = run.workDir + s.file;
    if (auto it = keys.find(key); it != keys.end()) {
      const int64_t n = it->second;
      if (n > count && !flush()) return Put::Failed;
      if (n > count) return Put::OutOfStep;
      std::string held;
      if (!run.disk.readAt(store, (n - 1) * s.record, kKey, held)) return Put::Failed;
      if (held != key) return Put::OutOfStep;
      if (!run.disk.writeAt(store, (n - 1) * s.record + kKey, textField(s, text)))
        return Put::Failed;
      killFile(run, older);
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
    if (!run.disk.writeAt(run.workDir + s.file, count * s.record, records) ||
        !run.disk.writeAt(run.workDir + s.index, count * kKey, entries)) {
      run.lastStatus = kErrFileAccess;
      started = false;
      return false;
    }
    count += static_cast<int64_t>(entries.size()) / kKey;
    for (const std::string& f : files) killFile(run, f);
    records.clear();
    entries.clear();
    files.clear();
    return true;
  }

  // Found out of step: the index is rebuilt from the store at once.
  bool restart() {
    if (!flush()) return false;
    killFile(run, run.workDir + s.index);
    rebuildIndex(run, s);
    return start();
  }
};

// One store's pass: the index rebuilt when missing, then every older file
// moved in. The migrated text replaces a stored one of the same key.
void migrate(Run& run, const Store& s) {
  const std::vector<std::string> names = run.disk.list(run.workDir + "ic\\data", s.older);
  const std::string store = run.workDir + s.file, index = run.workDir + s.index;
  if (run.disk.exists(store) && !run.disk.exists(index)) rebuildIndex(run, s);

  Progress progress{run, {}};
  Migration m(run, s);
  bool rebuilt = false;
  const int64_t count = static_cast<int64_t>(names.size());
  for (int64_t i = 0; i < count; ++i) {
    const std::string& name = names[static_cast<size_t>(i)];
    const std::string path = run.workDir + "ic\\data\\" + name;
    std::string key, text;
    if (!olderKey(name, s, key)) continue;
    progress.show(percent(i, count) + " %  " + s.name);
    if (!olderText(run, path, text)) continue;  // gone meanwhile
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
    if (r == Put::Failed) run.lastStatus = kErrFileAccess;
    if (r == Put::OutOfStep || r == Put::Failed) break;  // the remaining older files stay
  }
  m.flush();
}

// ---- "/DataCase/"

// A key that can be part of a file name in ic\data\ and nothing else.
bool plainName(const std::string& key) {
  if (key.empty() || key.find("..") != std::string::npos) return false;
  for (size_t i = 0; i < key.size(); i += charBytes(key, i)) {
    if (charBytes(key, i) == 2) continue;
    const unsigned char c = static_cast<unsigned char>(key[i]);
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  }
  return true;
}

// Adds record n of a store to the list when it holds the key; otherwise the
// index is out of step and is deleted.
void showHeld(Run& run, const Store& s, const std::string& key, int32_t n) {
  std::string held;
  const bool ok = run.disk.readAt(run.workDir + s.file, (n - 1) * s.record,
                                  static_cast<size_t>(s.record), held) &&
                  static_cast<int64_t>(held.size()) == s.record &&
                  held.compare(0, kKey, keyField(key)) == 0;
  if (ok) {
    lst1additm(run, vbRTrim(held.substr(kKey)));
    showWaiting(run, key + "get ");
    return;
  }
  const std::string index = run.workDir + s.index;
  if (run.disk.exists(index)) {
    showWaiting(run, "Kill:  " + index);
    killFile(run, index);
  }
}

}  // namespace

int32_t indexSearch(Run& run, const std::string& indexPath, const std::string& key, int width) {
  if (width <= 0 || key.empty() || key.size() > static_cast<size_t>(width)) return 0;
  auto length = run.disk.length(indexPath);
  if (!length) return 0;
  const int64_t w = width, k = static_cast<int64_t>(key.size());
  for (int64_t at = 0; at < *length; at += kIndexRead) {
    std::string data;
    if (!run.disk.readAt(indexPath, at, static_cast<size_t>(std::min(kIndexRead, *length - at)),
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

void save1500file(Run& run, const std::string& key, const std::string& text) {
  if (int32_t code = failureCode(save(run, kCardReads, key, text))) run.lastStatus = code;
}

void save3000file(Run& run, const std::string& key, const std::string& text) {
  // No failure of this one reaches the caller.
  const int32_t status = run.lastStatus;
  save(run, kTreatments, key, text);
  run.lastStatus = status;
}

void archiveMaintenance(Run& run) {
  if (!run.disk.isFolder(run.workDir + "ic\\data")) return;
  migrate(run, kCardReads);
  migrate(run, kTreatments);
  showWaiting(run, " Data Finding ");
  closeWaiting(run);
}

void cmd_DataCase(Run& run) {
  const size_t at = run.C.find("/DataCase/");
  const std::string key =
      at == std::string::npos ? std::string() : vbMid(run.C.substr(at + 10), 1, 10);

  const int32_t n = indexSearch(run, run.workDir + kCardReads.index, keyField(key), kKey);
  if (n == 0) {
    showRed(run, key + b5("無IC卡紀錄 "), 6);
    run.screen.hideMain();
    UnloadMe_End(run);
  }
  run.screen.caption("vexa5", key + b5("健保IC卡紀錄 "));
  showHeld(run, kCardReads, key, n);
  listAdd(run, kSeparator);
  if (int32_t n2 = indexSearch(run, run.workDir + kTreatments.index, keyField(key), kKey))
    showHeld(run, kTreatments, key, n2);
  listAdd(run, kSeparator);

  const std::string further = run.workDir + "ic\\data\\Z" + key + "_3";
  std::string data;
  if (plainName(key) && readText(run, further, data))
    for (const std::string& line : splitLines(data)) listAdd(run, line);

  run.screen.placeMain(kViewerLeft, kViewerTop, kListWidth + kMainExtraWidth,
                       kListHeight + kMainExtraHeight);
  closeWaiting(run);
  // The reader was never opened for the viewer; closing the window ends the run.
  run.readerClosed = 1;
  showWindow(run, "vexa5");
}
