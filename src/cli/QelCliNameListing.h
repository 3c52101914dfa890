#pragma once
// The hidden `--list-filters` and `--list-jobs` of qeltessary-cli: the names of
// the saved search filters or after-search jobs, one per line, for the shell
// completion, which then never reads env.json itself.

// True when argv is one of the two listings; status receives the exit status
// (0, or 2 when env.json cannot be read).
bool RunCliNameListing(int argc, const char* const* argv, int& status);
