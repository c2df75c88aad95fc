// icTreat.txt as the preventive-care and allergy verbs read it: the identity,
// the birth date and the category with its code, or a drug code and names.
#include "fuzz/fuzz.h"
#include "visit/prevent.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (auto verb : {cmd_hisWriteHealthInsurance, cmd_hisWriteAllergicMedicines}) {
    fuzz::FuzzRun f;
    f.file("icTreat.txt") = text;
    fuzz::toEnd([&] { verb(f.run); });
    f.checkStaysHome();
  }
  preventCategoryText(text);
  for (size_t width : {1, 3, 121}) fuzz::check(wholeCharField(text, width).size() == width);
  return 0;
}
