// The card-record stores over whatever a disk holds: the stores and their
// indexes (garbage, short, out of step), older per-holder files under
// ic\data\, and a key and text to save. The parts: dataZ, dataZ.ind, dataZ2,
// dataZ2.ind, the name of an older file, its text, the key, the text.
#include "fuzz/fuzz.h"
#include "store/store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto in = fuzz::parts(data, size, 8);
  FakeDisk disk;
  disk.folders = {"w:\\ic", "w:\\ic\\data"};
  const std::string dir = "w:\\";
  const char* files[] = {kCardReads.file, kCardReads.index, kTreatments.file, kTreatments.index};
  for (size_t i = 0; i < 4; ++i)
    if (!in[i].empty()) disk.files[dir + files[i]] = in[i];
  if (!in[4].empty() && in[4].find('\\') == std::string::npos)
    disk.files[dir + "ic\\data\\" + in[4]] = in[5];
  const std::string &key = in[6], &text = in[7];

  for (int width : {1, 7, kArchiveKeyWidth}) indexSearch(disk, dir + kCardReads.index, key, width);
  save1500file(disk, dir, key, text);
  save3000file(disk, dir, key, text);
  migrateArchive(disk, dir, [](const std::string&) {});
  for (const Store* s : {&kCardReads, &kTreatments}) {
    const int32_t n = indexSearch(disk, dir + s->index, keyField(key), kArchiveKeyWidth);
    std::string held;
    heldText(disk, dir, *s, key, n, held);
    heldText(disk, dir, *s, key, n + 1, held);
  }
  std::string further;
  readHolderText(disk, dir + "ic\\data\\" + in[4], further);
  return 0;
}
