// A card library that lacks one function, hisGetRegisterBasic, for the tests
// of what the program and its run log make of such a library. Every other
// function is there and answers 0, but hisGetCardStatus, which tells of
// cards that are there and authenticated (2).
#include "card/cshis_abi.h"

#if defined(_WIN32)
#define LACKING_EXPORT __declspec(dllexport)
#else
#define LACKING_EXPORT __attribute__((visibility("default")))
#endif

#pragma GCC diagnostic ignored "-Wunused-parameter"

// Renamed away before the table is expanded: the library has no function of
// that name.
#define hisGetRegisterBasic hisGetRegisterBasic_absent
// Defined by hand below.
#define hisGetCardStatus hisGetCardStatus_generated

#define LACKING_DEFINE(name, params, args) \
  extern "C" LACKING_EXPORT int CSHIS_CALL name params { return 0; }
CSHIS_FUNCTIONS(LACKING_DEFINE)
#undef LACKING_DEFINE
#undef hisGetCardStatus

extern "C" LACKING_EXPORT int CSHIS_CALL hisGetCardStatus(short) { return 2; }
