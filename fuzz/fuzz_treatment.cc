// icTreat.txt, the treatment the clinic program leaves for
// "/hisWriteTreatmentCode" and for the treatment chained after a
// registration. The first part is the registration record handed to the
// chained writing, the second the file.
#include "fuzz/fuzz.h"
#include "visit/treatment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 2);
  {
    fuzz::FuzzRun f;
    f.file("icTreat.txt") = in[1];
    f.file("ic\\dataZ2");  // an empty treatment store, so the log is stored
    f.file("ic\\dataZ2.ind");
    fuzz::toEnd([&] { hisWriteTreatment(f.run, in[0]); });
    f.checkStaysHome();
  }
  {
    fuzz::FuzzRun f;
    f.file("icTreat.txt") = in[1];
    fuzz::toEnd([&] { cmd_hisWriteTreatmentCode(f.run); });
    f.checkStaysHome();
  }
  return 0;
}
