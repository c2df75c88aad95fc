#include "app/netdrive.h"

#include <cctype>

#include "frame/progress.h"
#include "frame/run.h"
#include "frame/vbtext.h"
#include "platform/cp950.h"

bool parseNetworkDrive(const std::string& C, std::string& local, std::string& remote) {
  const std::string c = vbTrim(C);
  if (c.size() < 2 || !std::isalpha(static_cast<unsigned char>(c[0])) || c[1] != ':') return false;
  local = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c[0])))) + ":";
  remote = vbTrim(c.substr(2));
  // "\\" and a server name, and nothing a share name cannot hold.
  if (remote.size() < 3 || remote.compare(0, 2, "\\\\") != 0 || remote[2] == '\\') return false;
  for (unsigned char ch : remote)
    if (ch < 0x20 || ch == '"' || ch == '*' || ch == '?' || ch == '<' || ch == '>' || ch == '|')
      return false;
  return true;
}

void cmd_NetworkDrive(Run& run) {
  const std::string caption = b5("網路磁碟機");
  std::string local, remote;
  if (!parseNetworkDrive(run.C, local, remote)) {
    run.screen.msgBox(caption, b5("無法辨識的網路磁碟機: ") + run.C, Buttons::Ok, Icon::Critical,
                      Answer::Ok);
    endProcess(run);
  }
  const NetDriveResult r = run.sys.mapNetworkDrive(local, remote);
  if (!r.supported) {
    run.screen.msgBox(caption, b5("此版本無法連接網路磁碟機: ") + local + " " + remote, Buttons::Ok,
                      Icon::Critical, Answer::Ok);
  } else if (!r.ok) {
    run.lastStatus = static_cast<int32_t>(r.code);
    std::string text = b5("無法連接 ") + local + " " + remote + "\r\n" + b5("錯誤 ") +
                       std::to_string(r.code);
    if (!r.text.empty()) text += ": " + r.text;
    run.screen.msgBox(caption, text, Buttons::Ok, Icon::Critical, Answer::Ok);
  } else {
    showWaiting(run, local + " " + remote + (r.replaced ? b5(" 已重新連接") : b5(" 已連接")));
    closeWaiting(run);
  }
  endProcess(run);
}
