#pragma once
// `qeltessary-cli job NAME PATH`: searches PATH with a saved filter and runs
// the saved after-search job NAME on the hits through the program's job
// runner, printing each log row as it happens.

#include "QelCliOptions.h"

// The exit status: 0 when every item succeeded, 1 when some failed, 2 when
// the job could not run at all (one line on standard error says why).
int RunCliJob(const QelCliOptions& options);
