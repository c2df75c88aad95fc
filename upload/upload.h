// The daily card data upload "/UpLoadData": UpLoadA.XML sent through
// csUploadData, the receipt, the monthly archive, the register and UpLoad.err.
#pragma once

struct Run;

void cmd_UpLoadData(Run& run);
