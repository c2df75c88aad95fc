#include "card/records.h"

#include <algorithm>
#include <cctype>

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

// Searches the cache's records block by block.
bool findInCache(Run& run, const std::string& code, std::string& name) {
  const std::string path = run.settings.workDir + kOffsCache;
  auto len = run.disk.length(path);
  if (!len) return false;
  const int64_t records = *len / kOffsRecord;
  constexpr int64_t kPerRead = kOthBlock / kOffsRecord;
  for (int64_t first = 0; first < records; first += kPerRead) {
    std::string block;
    const int64_t count = std::min(kPerRead, records - first);
    if (!run.disk.readAt(path, first * kOffsRecord, static_cast<size_t>(count * kOffsRecord),
                         block))
      return false;
    for (size_t off = 0; off + kOffsRecord <= block.size(); off += kOffsRecord) {
      if (block.compare(off, kOffsCodeWidth, code) != 0) continue;
      std::string n = cutAt(block.substr(off + kOffsCodeWidth, kOffsNameWidth), kNameStops);
      if (n.empty()) continue;  // a record without a name names nothing
      name = n;
      return true;
    }
  }
  return false;
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

// Keeps a name found in the list in the cache, at the first record boundary
// past its last whole record. Only a help: a failure changes nothing else.
void addToCache(Run& run, const std::string& code, const std::string& name) {
  const std::string path = run.settings.workDir + kOffsCache;
  const int64_t records = run.disk.length(path).value_or(0) / kOffsRecord;
  std::string rec = code + name;
  rec.resize(kOffsRecord, ' ');
  run.disk.writeAt(path, records * kOffsRecord, rec);
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
  std::string name;
  if (findInCache(run, c, name)) return name;
  if (flag == 1) return c;
  if (!findInList(run, c, name)) return c;
  addToCache(run, c, name);
  return name;
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

// How much of a holder's report history is kept.
constexpr size_t kHolderTextCap = size_t{1} << 20;

void archiveSaved(Run& run, int32_t code) {
  if (code == 0) return;
  run.lastStatus = code;
  if (code == kErrStoreBusy) showRed(run, b5("健保IC卡紀錄檔 其他工作站使用中, 本次未存檔"), 3);
}

void List1DataSave(Run& run) {
  std::string text;
  for (const std::string& line : run.list1) text += line + "\r\n";
  if (!run.disk.write(run.settings.workDir + kListCopy, text)) run.lastStatus = kErrFileAccess;
  // The copy is filed under the holder, where "/DataCase/" shows it.
  // The holder's earlier reports are kept: the new one follows them, and
  // only the newest MB stays (that is what "/DataCase/" reads).
  const std::string holder = listHolder(run);
  if (holder.empty()) return;
  const std::string path = run.settings.workDir + "ic\\data\\Z" + holder + "_3";
  std::string all;
  if (run.disk.exists(path) && !readHolderText(run.disk, path, all)) {
    run.lastStatus = kErrFileAccess;
    return;  // an unreadable history is never replaced
  }
  all += text;
  if (all.size() > kHolderTextCap) {
    size_t from = all.find("\r\n", all.size() - kHolderTextCap);
    all.erase(0, from == std::string::npos ? all.size() - kHolderTextCap : from + 2);
  }
  const std::string fresh = path + ".new";
  if (!run.disk.write(fresh, all) || !run.disk.rename(fresh, path)) {
    run.disk.remove(fresh);
    run.lastStatus = kErrFileAccess;
  }
}
