// The declaration services as the run log sees them: every call with its
// status and the receipt it gave (the connection password never written).
// Wraps the services where the window gets them, so the window knows nothing
// of it; a new function of DeclareServices must be forwarded here too.
#pragma once

#include <memory>

#include "declare/services.h"

class RunLog;

// `inner` itself when there is no log.
std::unique_ptr<DeclareServices> logDeclareServices(std::unique_ptr<DeclareServices> inner,
                                                    RunLog* log);
