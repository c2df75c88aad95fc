// The housekeeping of an empty command line and "/ReportSample/": old
// signature files, old small files of ic\psn\ and old dated copies of the
// clinic program's executables are deleted before the declaration window opens.
#pragma once

#include "frame/endsrun.h"

#include <optional>

#include "platform/platform.h"

struct Run;

// A file is old when its date-time lies before today's date (midnight) less
// `days` days. A date-time that cannot be read is never old.
bool olderThan(const std::optional<DateTime>& modified, const DateTime& now, int days);

// The three rules, each only when its folder exists; each deleted name is
// shown in the waiting window, then "data fresh".
MAY_END_RUN void housekeeping(Run& run);
