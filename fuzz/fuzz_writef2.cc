// WriteF2.txt, the registration's input: the identity number the clinic
// program leaves for "/WriteF2". The first part picks the command line's tail
// (category, long or short reply, chained treatment), the second is the file.
#include "fuzz/fuzz.h"
#include "visit/writef2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 2);
  fuzz::FuzzRun f;
  f.run.C = "/WriteF2" + in[0];
  f.file("WriteF2.txt") = in[1];
  fuzz::toEnd([&] { cmd_WriteF2(f.run); });
  f.checkStaysHome();
  return 0;
}
