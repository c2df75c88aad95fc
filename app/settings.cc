#include "settings.h"

#include "files.h"
#include "run.h"
#include "vbtext.h"

std::string readProfileValue(Run& run, const std::string& section, const std::string& key,
                             const std::string& def, const std::string& file) {
  return run.sys.profileString(section, key, def, file, 100);
}

std::string readOrvoDent(Run& run, const std::string& key) {
  std::string v = vbTrim(readProfileValue(run, kSection, key, "", kSysIni));
  if (!v.empty() || !run.disk.exists(kSysIni)) return v;
  std::vector<std::string> lines;
  if (!readLines(run, kSysIni, lines)) return v;
  for (const std::string& line : lines)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return std::string();
}

void readSettings(Run& run) {
  run.softAppHttp = readProfileValue(run, kSection, "SoftAppHttp", kDefaultSoftAppHttp, kOrvoIni);
  run.softAppUrl = "http://" + run.softAppHttp + "/";

  const std::string sysIni = run.workDir + kSysIni;
  if (run.disk.exists("drug.exe") && run.disk.exists("6drug")) {
    run.office = "1";
    run.officeCode = "9900000011";
    run.hospDataType = "30";
  } else if (run.disk.exists("orvomd01.exe")) {
    run.office = "1";
    run.officeCode = "9900000022";
    run.hospDataType = "11";
  } else {
    run.office = readProfileValue(run, kSection, "Office", "0", kOrvoIni);
    run.officeCode = readProfileValue(run, kSection, "OfficeCode", "0000000000", kOrvoIni);
    run.hospDataType = "13";
    if (run.disk.exists(sysIni)) {
      int16_t v = 0;
      if (vbInt16(vbVal(readProfileValue(run, kSection, "beginlink", "0", sysIni)), v))
        run.beginLink = v;
      else
        run.lastStatus = 6;  // overflow: the assignment is skipped
    }
  }

  if (!run.disk.exists(sysIni)) {
    run.workDir = readProfileValue(run, kSection, "Directory", kDefaultDirectory, kOrvoIni);
    if (!run.sys.setCurrentFolder(run.workDir)) run.lastStatus = kErrPathNotFound;
  }
  if (run.workDir.empty() || run.workDir.back() != '\\') run.workDir += '\\';
}
