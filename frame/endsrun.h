// MAY_END_RUN marks the declaration of a function that may end the run: it,
// or a function it calls, may throw EndOfRun, which only main() catches (see
// docs/architecture.md, "The end of a run"). It expands to nothing; it is
// there so that a reader sees every exit where the function is declared.
#pragma once

#define MAY_END_RUN
