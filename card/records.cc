#include "card/records.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "card/cardrecord.h"
#include "platform/cp950.h"
#include "store/store.h"
#include "card/dates.h"
#include "card/errors.h"
#include "card/cardlib.h"
#include "card/read.h"
#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "frame/vbtext.h"

namespace {

using namespace card;

constexpr int kSummaryVisits = 6;  // the card keeps six visits

const char* const kOffsCache = "OffsCode";
// A cache up to this size is read once a run (over 30,000 institutions).
constexpr int64_t kMaxHeldCache = int64_t{1} << 20;
const char* const kInstitutionList = "OTH03003.txt";
const char* const kListCopy = "IcDatTmp.txt";

// A text cut at its first single-byte character from `stops`, walking by
// characters so that the second byte of a Big5 character (which may be "|")
// never ends it. A half character left at the end is dropped.
std::string cutAt(const std::string& s, const std::string& stops) {
  size_t i = 0;
  while (i < s.size()) {
    size_t n = cp950::charBytes(s, i);
    if (n == 1 && stops.find(s[i]) != std::string::npos) break;
    if (n == 1 && cp950::isLead(static_cast<unsigned char>(s[i]))) break;
    i += n;
  }
  return s.substr(0, i);
}

// At most `width` bytes of s, never ending in half a character.
std::string fitBytes(const std::string& s, size_t width) {
  size_t i = 0;
  while (i < s.size()) {
    size_t n = cp950::charBytes(s, i);
    if (i + n > width) break;
    i += n;
  }
  return s.substr(0, i);
}

MAY_END_RUN CardReply readBasicData(Run& run) {
  return readCard(run, &CardLib::hisGetRegisterBasic, kBasicLength, "讀取基本資料");
}

bool sameHolder(const CardReply& basic, const std::string& id) {
  return basic.ok() && vbLeft(id, kIdWidth) == bcut(basic.bytes, kIdPos, kIdWidth);
}

// ---- institution names

// The name field of a cache record or of a list line: the first word.
const std::string kNameStops = std::string("| \r\n\t,") + '\0';

// What the cache says of a code.
enum class Cached {
  No,         // nothing
  Named,      // its name
  NotListed,  // a record without a name: the list did not hold the code
};

// Searches records of the cache for the code; a record with a name wins over
// one without, wherever they stand.
Cached searchCache(const std::string& records, const std::string& code, std::string& name,
                   Cached found) {
  for (size_t off = 0; off + kOffsRecord <= records.size(); off += kOffsRecord) {
    if (records.compare(off, kOffsCodeWidth, code) != 0) continue;
    std::string n = cutAt(records.substr(off + kOffsCodeWidth, kOffsNameWidth), kNameStops);
    if (n.empty()) {
      found = Cached::NotListed;
      continue;
    }
    name = n;
    return Cached::Named;
  }
  return found;
}

// Searches the cache's records block by block.
Cached findInCache(Run& run, const std::string& code, std::string& name) {
  const std::string path = run.settings.workDir + kOffsCache;
  auto len = run.disk.length(path);
  if (!len) return Cached::No;
  const int64_t records = *len / kOffsRecord;
  constexpr int64_t kPerRead = kOthBlock / kOffsRecord;
  Cached found = Cached::No;
  for (int64_t first = 0; first < records; first += kPerRead) {
    std::string block;
    const int64_t count = std::min(kPerRead, records - first);
    if (!run.disk.readAt(path, first * kOffsRecord, static_cast<size_t>(count * kOffsRecord),
                         block))
      return Cached::No;
    found = searchCache(block, code, name, found);
    if (found == Cached::Named) return found;
  }
  return found;
}

// A record without a name holds while the list is older than the cache: a
// list replaced since is searched again.
bool listOlderThanCache(Run& run) {
  const auto list = run.disk.modified(run.settings.workDir + kInstitutionList);
  const auto cache = run.disk.modified(run.settings.workDir + kOffsCache);
  return !list || (cache && *list < *cache);
}

// OTH03003.txt: one institution a line, the code in bytes 1-10 followed by a
// separator, then the short name (the first word after it).
bool nameFromLine(const std::string& line, const std::string& code, std::string& name) {
  if (line.size() <= static_cast<size_t>(kOffsCodeWidth) ||
      line.compare(0, kOffsCodeWidth, code) != 0)
    return false;
  if (kNameStops.find(line[kOffsCodeWidth]) == std::string::npos) return false;
  size_t b = line.find_first_not_of(kNameStops, kOffsCodeWidth);
  if (b == std::string::npos) return false;
  name = fitBytes(cutAt(line.substr(b), kNameStops), kOffsNameWidth);
  return !name.empty();
}

bool findInList(Run& run, const std::string& code, std::string& name) {
  const std::string path = run.settings.workDir + kInstitutionList;
  auto len = run.disk.length(path);
  if (!len) return false;
  std::string pending;    // the line that runs over into the next block
  bool skipping = false;  // the rest of a line longer than a block, no institution line
  for (int64_t at = 0; at < *len; at += kOthBlock) {
    std::string block;
    if (!run.disk.readAt(path, at, kOthBlock, block) || block.empty()) return false;
    pending += block;
    size_t start = 0;
    for (size_t nl; (nl = pending.find('\n', start)) != std::string::npos; start = nl + 1) {
      if (!skipping && nameFromLine(pending.substr(start, nl - start), code, name)) return true;
      skipping = false;
    }
    pending.erase(0, start);
    if (pending.size() > static_cast<size_t>(kOthBlock)) {
      pending.clear();
      skipping = true;
    }
  }
  return !skipping && nameFromLine(pending, code, name);
}

// The list read once for the run and indexed by code, so that every code
// after the first costs a look into a table, found or not. It answers as the
// block search above does: a line that runs over more than a whole block past
// a block's end is no institution line there, so it is none here.
class InstitutionIndex {
 public:
  // False when the list cannot be read whole (missing, unreadable, too large
  // to hold): the block search answers then.
  bool load(Run& run) {
    const std::string path = run.settings.workDir + kInstitutionList;
    auto len = run.disk.length(path);
    if (!len || *len > kMaxHeld || run.disk.isFolder(path) || !run.disk.read(path, text_) ||
        text_.size() != static_cast<size_t>(*len))
      return false;
    size_t lines = 0;
    for (size_t at = 0; at < text_.size(); ++lines) {
      const void* nl = std::memchr(text_.data() + at, '\n', text_.size() - at);
      at = nl ? static_cast<size_t>(static_cast<const char*>(nl) - text_.data()) + 1 : text_.size();
    }
    size_t slots = 16;
    while (slots < lines * 2) slots *= 2;
    table_.assign(slots, 0);
    for (size_t at = 0; at < text_.size();) {
      const size_t end = lineEnd(at);
      if (end - at > static_cast<size_t>(kOffsCodeWidth) && !runsOver(at, end)) {
        size_t slot = find(std::string_view(text_).substr(at, kOffsCodeWidth));
        if (table_[slot] == 0) table_[slot] = static_cast<uint32_t>(at) + 1;
      }
      at = end + 1;
    }
    return true;
  }

  bool name(const std::string& code, std::string& name) const {
    const uint32_t first = table_[find(code)];
    if (first == 0) return false;
    // The first line of the code normally names it; when it does not, the
    // lines after it are read in order as the block search would.
    for (size_t at = first - 1; at < text_.size();) {
      const size_t end = lineEnd(at);
      if (!runsOver(at, end) && nameFromLine(text_.substr(at, end - at), code, name)) return true;
      at = end + 1;
    }
    return false;
  }

 private:
  // More than this is read block by block instead (memory stays small).
  static constexpr int64_t kMaxHeld = int64_t{8} << 20;

  size_t lineEnd(size_t at) const {
    const void* nl = std::memchr(text_.data() + at, '\n', text_.size() - at);
    return nl ? static_cast<size_t>(static_cast<const char*>(nl) - text_.data()) : text_.size();
  }
  // The block search drops a line still open at the second block end after
  // its start, and a last line without a line end longer than a block.
  bool runsOver(size_t start, size_t end) const {
    const size_t block = static_cast<size_t>(kOthBlock);
    if (end == text_.size()) return end - start > block;
    return (start / block + 2) * block <= end;
  }
  // The slot of a code: its own, or the empty one where it would go.
  size_t find(std::string_view code) const {
    uint64_t h = 1469598103934665603ull;
    for (char c : code) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    const size_t mask = table_.size() - 1;
    for (size_t i = static_cast<size_t>(h) & mask;; i = (i + 1) & mask) {
      if (table_[i] == 0 || text_.compare(table_[i] - 1, kOffsCodeWidth, code) == 0) return i;
    }
  }

  std::string text_;
  std::vector<uint32_t> table_ = std::vector<uint32_t>(1, 0);
};

// What the card procedures keep for the rest of a run (Run::cardMemo).
struct CardMemo {
  // Institution names by code, found in the cache or the list; an empty name:
  // in neither, so each code is searched once a run.
  std::unordered_map<std::string, std::string> names;
  enum class List { Unread, Held, ByBlocks } list = List::Unread;
  // Whether the list is older than the cache, asked once a run.
  enum class Answer { Unknown, Yes, No } listOlder = Answer::Unknown;
  InstitutionIndex index;
  // The cache's whole records, when held.
  enum class Held { Unread, Yes, No } cacheHeld = Held::Unread;
  std::string cache;
  // The held cache's records by code: the name of the first record with one,
  // or an empty name when every record of the code has none.
  std::unordered_map<std::string, std::string> cacheIndex;
  // The list List1DataSave last saved whole (the copy and the holder's
  // history) in this run.
  bool saved = false;
  std::string savedPath, savedText;
};

CardMemo& memo(Run& run) {
  if (!run.cardMemo) run.cardMemo = std::make_shared<CardMemo>();
  return *static_cast<CardMemo*>(run.cardMemo.get());
}

// Adds whole cache records to the index of the held cache; a record with a
// name wins over one without, wherever they stand, as in searchCache.
void indexCache(CardMemo& m, const std::string& records) {
  for (size_t off = 0; off + kOffsRecord <= records.size(); off += kOffsRecord) {
    std::string& known = m.cacheIndex[records.substr(off, kOffsCodeWidth)];
    if (known.empty())
      known = cutAt(records.substr(off + kOffsCodeWidth, kOffsNameWidth), kNameStops);
  }
}

// The cache as this run knows it: read once when small enough to hold, else
// searched block by block each time.
Cached lookUpCache(Run& run, CardMemo& m, const std::string& code, std::string& name) {
  using Held = CardMemo::Held;
  if (m.cacheHeld == Held::Unread) {
    const std::string path = run.settings.workDir + kOffsCache;
    const auto len = run.disk.exists(path) ? run.disk.length(path) : std::optional<int64_t>(0);
    m.cacheHeld = Held::No;
    if (len && *len <= kMaxHeldCache &&
        (*len == 0 || run.disk.readAt(path, 0, static_cast<size_t>(*len), m.cache))) {
      m.cache.resize(static_cast<size_t>(*len / kOffsRecord * kOffsRecord));
      m.cacheHeld = Held::Yes;
      indexCache(m, m.cache);
    }
  }
  if (m.cacheHeld == Held::Yes) {
    auto it = m.cacheIndex.find(code);
    if (it == m.cacheIndex.end()) return Cached::No;
    if (it->second.empty()) return Cached::NotListed;
    name = it->second;
    return Cached::Named;
  }
  return findInCache(run, code, name);
}

// Keeps what the list said of a code in the cache, at the first record
// boundary past its last whole record: the name found, or a record without a
// name when the list does not hold the code, so that later runs need not read
// the whole list again for it. Only a help: a failure changes nothing else.
void addToCache(Run& run, CardMemo& m, const std::string& code, const std::string& name) {
  const std::string path = run.settings.workDir + kOffsCache;
  const int64_t records = run.disk.length(path).value_or(0) / kOffsRecord;
  std::string rec = code + name;
  rec.resize(kOffsRecord, ' ');
  if (!run.disk.writeAt(path, records * kOffsRecord, rec)) return;
  if (m.cacheHeld == CardMemo::Held::Yes) {
    m.cache.resize(static_cast<size_t>(records * kOffsRecord), ' ');
    m.cache += rec;
    indexCache(m, rec);
  }
}

// ---- six-visit summary

std::string amount(const std::string& digits) {
  return std::to_string(static_cast<long long>(vbVal(digits)));
}

std::string categoryText(const std::string& category) {
  if (category == "01") return b5("  類別:01西醫");
  if (category == "02") return b5("  類別:02牙醫");
  if (category == "03") return b5("  類別:03中醫");
  return b5("  不累計就醫序號: ") + category;
}

std::string visitLine(Run& run, const std::string& treatment, int k) {
  auto field = [&](int offset, int width) { return bcut(treatment, visitByte(k, offset), width); };
  return monthday(field(kVisitTime, kVisitTimeWidth)) + categoryText(field(kVisitCategory, 2)) +
         b5(" 序號:") + field(kVisitSeq, kVisitSeqWidth) + b5("   院所:") +
         GetOffsCode(run, field(kVisitInstitution, kVisitInstitutionWidth), 0) + b5("  門診:") +
         amount(field(kVisitOutpatientFee, kVisitOutpatientFeeWidth)) + b5(" 部分負擔:") +
         amount(field(kVisitOutpatientCopay, kVisitOutpatientCopayWidth));
}

// A plain identity number: 10 letters or digits.
bool plainIdentity(const std::string& s) {
  if (s.size() != static_cast<size_t>(kIdWidth)) return false;
  for (unsigned char c : s)
    if (!std::isalnum(c)) return false;
  return true;
}

}  // namespace

std::string comaprecode(Run& run, const std::string& id) {
  showWaiting(run, b5("核對 身分證"));
  CardReply basic = readBasicData(run);
  if (sameHolder(basic, id)) return bcut(basic.bytes, 1, kBasicLength);

  run.reader.close();
  if (run.reader.openPort > 0) {
    run.lastStatus = run.reader.open();
    // The port setting is held at 0 while the read and its report run.
    const int16_t port = run.reader.openPort;
    run.reader.openPort = 0;
    basic = readBasicData(run);
    run.reader.openPort = port;
    if (sameHolder(basic, id)) return bcut(basic.bytes, 1, kBasicLength);
  }

  closeWaiting(run);
  showRed(run, b5("身分證不同人"), 6);
  writeResult(run, run.settings.workDir + "GetSeqN.txt", b5("身分證不對"));
  UnloadMe_End(run);
}

std::string GetOffsCode(Run& run, const std::string& code, int16_t flag) {
  const std::string c = vbTrim(code);
  if (vbLen(c) <= 9) return c;
  if (c.size() != static_cast<size_t>(kOffsCodeWidth)) return c;
  CardMemo& m = memo(run);
  if (auto known = m.names.find(c); known != m.names.end())
    return known->second.empty() ? c : known->second;
  std::string name;
  const Cached cached = lookUpCache(run, m, c, name);
  if (cached == Cached::Named) return m.names[c] = name;
  if (flag == 1) return c;
  if (cached == Cached::NotListed && m.listOlder == CardMemo::Answer::Unknown)
    m.listOlder = listOlderThanCache(run) ? CardMemo::Answer::Yes : CardMemo::Answer::No;
  if (cached == Cached::NotListed && m.listOlder == CardMemo::Answer::Yes) {
    m.names[c].clear();
    return c;
  }
  if (!run.disk.exists(run.settings.workDir + kInstitutionList)) return c;
  using List = CardMemo::List;
  if (m.list == List::Unread) m.list = m.index.load(run) ? List::Held : List::ByBlocks;
  const bool found = m.list == List::Held ? m.index.name(c, name) : findInList(run, c, name);
  m.names[c] = found ? name : std::string();
  // A miss is kept only when the whole list was read.
  if (found || m.list == List::Held) addToCache(run, m, c, found ? name : std::string());
  return found ? name : c;
}

std::string Data6Times(Run& run) {
  const std::string basic = readCard(run, &CardLib::hisGetRegisterBasic, kBasicLength, "讀取基本資料").bytes;
  const std::string lastSeq = readCard(run, &CardLib::hisGetLastSeqNum, kLastSeqLength, "最近一次就醫序號").bytes;
  const std::string treatment =
      readCard(run, &CardLib::hisGetTreatmentNoNeedHPC, kTreatmentLength, "就醫資料").bytes;

  std::string text = b5("   卡號:") + bcut(basic, kCardNoPos, kCardNoWidth) + b5("  身份證:") +
                     bcut(basic, kIdPos, kIdWidth);
  text += "\r\n" + b5("可用次數: ") + bcut(basic, kRemainingPos, kRemainingWidth) +
          b5("   有效期限:") + monthday(bcut(basic, kValidPos, kValidWidth)) +
          b5("   最近一次就醫序號: ") + bcut(lastSeq, 1, kLastSeqLength);
  for (int k = 0; k < kSummaryVisits; ++k) {
    // An empty slot is no visit.
    if (vbTrim(bcut(treatment, visitByte(k, kVisitTime), kVisitTimeWidth)).empty()) continue;
    text += "\r\n" + visitLine(run, treatment, k);
  }
  return text;
}

int16_t HttpicExecute(Run& run, const std::string& url) {
  const std::string on = readProfileValue(run, kSection, "ic2net2", "0", run.settings.workDir + kSysIni);
  if (vbVal(on) != 1) return 0;
  return run.screen.shellOpen(url, "") ? 1 : 0;
}

void lst1additm(Run& run, const std::string& text) {
  if (text.empty()) return;
  size_t start = 0;
  for (size_t e; (e = text.find("\r\n", start)) != std::string::npos; start = e + 2)
    listAdd(run, text.substr(start, e - start));
  listAdd(run, text.substr(start));
}

std::string listHolder(Run& run) {
  for (const char* label : {"身份證字號:", "身份證:"}) {
    const std::string l = b5(label);
    for (const std::string& line : run.list1) {
      size_t p = line.find(l);
      if (p == std::string::npos) continue;
      std::string id = vbLTrim(line.substr(p + l.size())).substr(0, kIdWidth);
      if (plainIdentity(id)) return id;
    }
  }
  return std::string();
}

// How much of a holder's report history is kept: at most the newest MB (all
// that "/DataCase/" reads). A report that would pass it cuts the history to
// its newest 768 KB, so the runs after it append again instead of rewriting
// a whole MB each.
constexpr size_t kHolderTextCap = size_t{1} << 20;
constexpr size_t kHolderTextCut = size_t{768} << 10;

void archiveSaved(Run& run, int32_t code) {
  if (code == 0) return;
  run.lastStatus = code;
  if (code == kErrStoreBusy) showRed(run, b5("健保IC卡紀錄檔 其他工作站使用中, 本次未存檔"), 3);
  // A read the archive could not take is said: the card was read all the same.
  else showRed(run, b5("健保IC卡紀錄檔 未能存檔: ") + run.settings.workDir + kCardReads.file, 3);
}

namespace {

// Adds a report to the holder's history: an append while the history stays
// within its cap, else the newest part rewritten whole. False (and the
// status set) when it was not kept.
bool keepReport(Run& run, const std::string& path, const std::string& text) {
  const bool had = run.disk.exists(path);
  const auto length = had ? run.disk.length(path) : std::optional<int64_t>(0);
  if (!length || run.disk.isFolder(path)) {
    run.lastStatus = kErrFileAccess;
    return false;
  }
  if (static_cast<uint64_t>(*length) + text.size() <= kHolderTextCap) {
    if (!run.disk.append(path, text)) {
      run.lastStatus = kErrFileAccess;
      return false;
    }
  } else {
    std::string all;
    if (had && !readHolderText(run.disk, path, all)) {
      run.lastStatus = kErrFileAccess;
      return false;  // an unreadable history is never replaced
    }
    all += text;
    if (all.size() > kHolderTextCut) {
      size_t from = all.find("\r\n", all.size() - kHolderTextCut);
      all.erase(0, from == std::string::npos ? all.size() - kHolderTextCut : from + 2);
    }
    if (!replaceWhole(run.disk, path, all)) {
      run.lastStatus = kErrFileAccess;
      return false;
    }
  }
  return true;
}

}  // namespace

void List1DataSave(Run& run) {
  size_t size = 0;
  for (const std::string& line : run.list1) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : run.list1) text.append(line).append("\r\n");
  // The copy is filed under the holder, where "/DataCase/" shows it.
  // The holder's earlier reports are kept and the new one follows them; a
  // second save of the same list for the same holder in one run adds nothing.
  const std::string holder = listHolder(run);
  // Without ic\data\ the clinic keeps no such history: nothing to file.
  const std::string path = holder.empty() || !run.disk.isFolder(run.settings.workDir + "ic\\data")
                               ? std::string()
                               : run.settings.workDir + "ic\\data\\Z" + holder + "_3";
  CardMemo& m = memo(run);
  if (m.saved && m.savedPath == path && m.savedText == text) return;
  m.saved = false;
  const bool copied = replaceWhole(run.disk, run.settings.workDir + kListCopy, text);
  if (!copied) {
    run.lastStatus = kErrFileAccess;
    showRed(run, b5("無法寫入檔案: ") + run.settings.workDir + kListCopy, 3);
  }
  if (!path.empty() && !keepReport(run, path, text)) {
    showRed(run, b5("無法寫入檔案: ") + path, 3);
    return;
  }
  m.saved = copied;
  m.savedPath = path;
  m.savedText = std::move(text);
}
