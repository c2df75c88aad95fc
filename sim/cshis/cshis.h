// The simulated reader's exports: every function of the card-control library,
// with C linkage and undecorated names (__stdcall on 32-bit Windows).
#pragma once

#include "card/cshis_abi.h"

#if defined(_WIN32)
#if defined(CSHIS_BUILDING)
#define CSHIS_EXPORT __declspec(dllexport)
#else
#define CSHIS_EXPORT __declspec(dllimport)
#endif
#else
#define CSHIS_EXPORT __attribute__((visibility("default")))
#endif

#define CSHIS_DECLARE_EXPORT(name, params, args) \
  extern "C" CSHIS_EXPORT int CSHIS_CALL name params;
CSHIS_FUNCTIONS(CSHIS_DECLARE_EXPORT)
#undef CSHIS_DECLARE_EXPORT
