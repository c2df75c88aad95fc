#include "records.h"

#include "progress.h"
#include "run.h"

std::string comaprecode(Run& run, const std::string&) { return run.regBuf; }
std::string GetOffsCode(Run&, const std::string& code, int16_t) { return code; }
std::string Data6Times(Run&) { return std::string(); }
int16_t HttpicExecute(Run&, const std::string&) { return 0; }
void lst1additm(Run& run, const std::string& text) { listAdd(run, text); }
void List1DataSave(Run&) {}
