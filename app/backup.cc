#include "app/backup.h"

#include <cctype>

#include "frame/files.h"
#include "frame/progress.h"
#include "frame/run.h"
#include "frame/settings.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"
#include "platform/screen.h"

namespace {

constexpr const char* kDataTree = "ic";

struct Item {
  std::string rel;  // relative to the data folder
  int64_t size = 0;
};

struct Tally {
  int copied = 0, unchanged = 0, keptNewer = 0, failed = 0;
  int64_t bytes = 0;
  bool stopped = false;
};

// The byte offsets of the path's separators. A Big5 character's second byte
// may be "\\" (許, 功): it is part of a name, never a separator.
std::vector<size_t> separators(const std::string& p) {
  std::vector<size_t> at;
  for (size_t i = 0; i < p.size(); i += cp950::charBytes(p, i))
    if (p[i] == '\\' || p[i] == '/') at.push_back(i);
  return at;
}

std::string lower(const std::string& s) {
  std::string out = s;
  for (size_t i = 0; i < out.size(); i += cp950::charBytes(out, i)) {
    if (cp950::charBytes(out, i) == 2) continue;
    char& c = out[i];
    if (c == '/') c = '\\';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string withoutSlash(std::string s) {
  for (;;) {
    const std::vector<size_t> at = separators(s);
    if (s.size() <= 1 || at.empty() || at.back() != s.size() - 1 || s[s.size() - 2] == ':') return s;
    s.pop_back();
  }
}

void addFiles(Run& run, const std::string& rel, std::vector<Item>& items) {
  const std::string folder = run.settings.workDir + rel;
  for (const std::string& name : run.disk.list(folder, "*.*")) {
    const std::string r = rel + name;
    if (run.disk.isLink(run.settings.workDir + r)) continue;
    items.push_back({r, run.disk.length(run.settings.workDir + r).value_or(0)});
  }
}

// The files to copy: the working folder's own and the ic\ tree, links left out
// (a link could lead back into the tree, or out of it).
std::vector<Item> dataFiles(Run& run) {
  std::vector<Item> items;
  addFiles(run, "", items);
  const std::string& dir = run.settings.workDir;
  if (!run.disk.isFolder(dir + kDataTree) || run.disk.isLink(dir + kDataTree)) return items;
  std::vector<std::string> pending = {std::string(kDataTree) + "\\"};
  while (!pending.empty()) {
    const std::string rel = pending.back();
    pending.pop_back();
    addFiles(run, rel, items);
    for (const std::string& sub : run.disk.folders(dir + rel)) pending.push_back(rel + sub + "\\");
  }
  return items;
}

// Creates the folder and the ones above it; false when it is not there after.
bool makeFolders(Run& run, const std::string& path) {
  const std::string p = withoutSlash(path);
  const std::vector<size_t> at = separators(p);
  size_t first = 0;  // the separators before the first folder that may be made
  if (p.rfind("\\\\", 0) == 0) first = 4;  // \\server\share\ comes first
  else if (p.size() >= 2 && p[1] == ':') first = 1;
  for (size_t k = first; k < at.size(); ++k) {
    const std::string part = p.substr(0, at[k]);
    if (!part.empty() && part.back() != ':' && !run.disk.isFolder(part)) run.disk.makeFolder(part);
  }
  if (!run.disk.isFolder(p)) run.disk.makeFolder(p);
  return run.disk.isFolder(p);
}

std::string folderOf(const std::string& path) {
  const std::vector<size_t> at = separators(path);
  return at.empty() ? std::string() : path.substr(0, at.back());
}

// `inner` is `outer` or lies inside it (both resolved, compared without case).
bool sameOrInside(const std::string& inner, const std::string& outer) {
  const std::string i = lower(withoutSlash(inner)), o = lower(withoutSlash(outer));
  if (i.empty() || o.empty()) return false;
  return i == o || i.rfind(o.back() == '\\' ? o : o + "\\", 0) == 0;
}

std::string summary(const Tally& t) {
  return b5(t.stopped ? "備份中止: " : "備份完成: ") + b5("複製 ") + std::to_string(t.copied) +
         b5(" 個檔案 (") + std::to_string(t.bytes) + b5(" 位元組), 未變更 ") +
         std::to_string(t.unchanged) + b5(" 個, 保留較新 ") + std::to_string(t.keptNewer) +
         b5(" 個, 無法複製 ") + std::to_string(t.failed) + b5(" 個");
}

// Copies one file; false when the operator stopped the backup.
bool copyOne(Run& run, Form& form, const Item& item, const std::string& target, Tally& t) {
  const std::string src = run.settings.workDir + item.rel,
                    dst = target + (target.back() == '\\' ? "" : "\\") + item.rel;
  auto fail = [&](const char* why) {
    ++t.failed;
    addItem(run.screen, form, "List1", b5("無法複製: ") + item.rel + b5(why));
    return true;
  };
  if (!makeFolders(run, folderOf(dst))) return fail("  (無法建立目錄)");
  if (run.disk.exists(dst)) {
    if (run.disk.isFolder(dst) || run.disk.isLink(dst)) return fail("  (目標不是檔案)");
    const auto sm = run.disk.modified(src), dm = run.disk.modified(dst);
    if (sm && dm && *sm == *dm && run.disk.length(dst) == run.disk.length(src)) {
      ++t.unchanged;
      return true;
    }
    if (!sm || !dm || *dm > *sm) {
      const Answer a = run.screen.msgBox(
          b5("備份"), b5("備份目錄的檔案較新:") + "\r\n" + dst + "\r\n" + b5("要覆蓋嗎?"),
          Buttons::YesNoCancel, Icon::Exclamation, Answer::No);
      if (a == Answer::Cancel) return false;
      if (a != Answer::Yes) {
        ++t.keptNewer;
        addItem(run.screen, form, "List1", b5("保留較新: ") + item.rel);
        return true;
      }
    }
  }
  if (!run.disk.replaceWithCopy(src, dst)) return fail("");
  ++t.copied;
  t.bytes += item.size;
  return true;
}

MAY_END_RUN void backUp(Run& run, Form& form) {
  const std::string target = withoutSlash(vbTrim(textOf(form, "Text1")));
  clearItems(run.screen, form, "List1");
  if (target.empty()) {
    run.screen.msgBox(b5("備份"), b5("請輸入備份目錄"), Buttons::Ok, Icon::Exclamation, Answer::Ok);
    return;
  }
  // Compared as written and as resolved (".." and links followed): a copy
  // inside what it copies would nest itself again at every run.
  const std::string source = resolvedPath(run.settings.workDir), resolved = resolvedPath(target);
  if (insideFolder(target, run.settings.workDir) || sameOrInside(resolved, source)) {
    run.screen.msgBox(b5("備份"), b5("備份目錄不可在資料目錄之內: ") + target, Buttons::Ok,
                      Icon::Exclamation, Answer::Ok);
    return;
  }
  if (sameOrInside(source, resolved)) {
    run.screen.msgBox(b5("備份"), b5("資料目錄不可在備份目錄之內: ") + target, Buttons::Ok,
                      Icon::Exclamation, Answer::Ok);
    return;
  }
  run.sys.writeProfileString(kSection, kBackupKey, target, kSysIni);
  if (!makeFolders(run, target)) {
    run.screen.msgBox(b5("備份"), b5("無法建立備份目錄: ") + target, Buttons::Ok, Icon::Critical,
                      Answer::Ok);
    return;
  }
  setEnabled(run.screen, form, "Command1", false);
  run.screen.waitCursor(true);
  const std::vector<Item> items = dataFiles(run);
  int64_t total = 0;
  for (const Item& i : items) total += i.size;
  Tally t;
  int64_t done = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!copyOne(run, form, items[i], target, t)) {
      t.stopped = true;
      break;
    }
    done += items[i].size;
    setText(run.screen, form, "Label2",
            b5("檔案 ") + std::to_string(i + 1) + " / " + std::to_string(items.size()) +
                b5("   位元組 ") + std::to_string(done) + " / " + std::to_string(total));
    doEvents(run);
  }
  run.screen.waitCursor(false);
  const std::string s = summary(t);
  addItem(run.screen, form, "List1", s);
  setEnabled(run.screen, form, "Command1", true);
  run.screen.msgBox(b5("備份"), s, Buttons::Ok, t.failed ? Icon::Exclamation : Icon::Information,
                    Answer::Ok);
}

}  // namespace

Form backupForm(const std::string& dataFolder, const std::string& target) {
  Form f;
  f.name = "vbbk";
  f.caption = b5("資料備份");
  f.width = 6600;
  f.height = 5400;
  f.topmost = true;

  f.add("Label3", ControlKind::Label, b5("資料目錄: ") + dataFolder, 120, 120, 6360, 300);
  f.add("Label1", ControlKind::Label, b5("備份目錄:"), 120, 560, 1000, 300);
  f.add("Text1", ControlKind::Text, target, 1140, 500, 5340, 360);
  f.add("Command1", ControlKind::Button, b5("開始備份"), 120, 1000, 1500, 420);
  f.add("Command2", ControlKind::Button, b5("結束"), 4980, 1000, 1500, 420);
  f.add("Label2", ControlKind::Label, "", 120, 1560, 6360, 300);
  f.add("List1", ControlKind::List, "", 120, 1920, 6360, 3300);
  return f;
}

bool insideFolder(const std::string& target, const std::string& folder) {
  std::string t = lower(withoutSlash(target)), f = lower(withoutSlash(folder));
  // A target without a drive or server lies in the current folder, the data folder.
  if (!(t.size() >= 2 && t[1] == ':') && t.rfind("\\", 0) != 0) return true;
  return t == f || t.rfind(f + "\\", 0) == 0;
}

void cmd_VBbackup(Run& run) {
  // The reader is never opened for the window; closing it ends the run at once.
  run.win.endAtOnce = true;
  const std::string target = readProfileValue(run, kSection, kBackupKey, kDefaultBackupFolder, kSysIni);
  Form form = backupForm(run.settings.workDir, target);
  run.screen.formShow(form);
  run.screen.formTopmost(form);
  for (;;) {
    const FormAction a = run.screen.formNext(form);
    if (a.kind == FormAction::Kind::Close) break;
    if (a.kind != FormAction::Kind::Click) continue;
    if (a.control == "Command2") break;
    if (a.control == "Command1") backUp(run, form);
  }
  run.screen.formClose(form);
  UnloadMe_End(run);
}
