#include "frame/settings.h"

#include "frame/files.h"
#include "frame/run.h"
#include "frame/vbtext.h"

std::string readProfileValue(Run& run, const std::string& section, const std::string& key,
                             const std::string& def, const std::string& file) {
  return run.sys.profileString(section, key, def, file, 100);
}

std::string readOrvoDent(Run& run, const std::string& key) {
  std::string v = vbTrim(readProfileValue(run, kSection, key, "", kSysIni));
  if (!v.empty() || !run.disk.exists(kSysIni)) return v;
  std::vector<std::string> lines;
  if (!readLines(run.files(), kSysIni, lines)) return v;
  for (const std::string& line : lines)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return std::string();
}

std::string webRoot(const std::string& server) { return "http://" + server + "/"; }

void readSettings(Run& run) {
  run.settings.softAppHttp = readProfileValue(run, kSection, "SoftAppHttp", kDefaultSoftAppHttp, kOrvoIni);
  run.settings.softAppUrl = webRoot(run.settings.softAppHttp);
  run.settings.publicUrl = webRoot(readProfileValue(run, kSection, "PublicHttp", kDefaultPublicHttp, kOrvoIni));

  const std::string sysIni = run.settings.workDir + kSysIni;
  if (run.disk.exists("drug.exe") && run.disk.exists("6drug")) {
    run.settings.office = "1";
    run.settings.officeCode = "9900000011";
    run.settings.hospDataType = "30";
  } else if (run.disk.exists("orvomd01.exe")) {
    run.settings.office = "1";
    run.settings.officeCode = "9900000022";
    run.settings.hospDataType = "11";
  } else {
    run.settings.office = readProfileValue(run, kSection, "Office", "0", kOrvoIni);
    run.settings.officeCode = readProfileValue(run, kSection, "OfficeCode", "0000000000", kOrvoIni);
    run.settings.hospDataType = "13";
    if (run.disk.exists(sysIni)) {
      int16_t v = 0;
      if (vbInt16(vbVal(readProfileValue(run, kSection, "beginlink", "0", sysIni)), v))
        run.settings.beginLink = v;
      else
        run.lastStatus = 6;  // overflow: the assignment is skipped
    }
  }

  if (!run.disk.exists(sysIni)) {
    run.settings.workDir = readProfileValue(run, kSection, "Directory", kDefaultDirectory, kOrvoIni);
    if (!run.sys.setCurrentFolder(run.settings.workDir)) run.lastStatus = kErrPathNotFound;
  }
  if (run.settings.workDir.empty() || run.settings.workDir.back() != '\\') run.settings.workDir += '\\';
}
