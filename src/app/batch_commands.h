// `glebora --batch COMMAND ...`: the editor's commands without a window,
// for pipelines and tests. Every command goes through the same code as
// its menu command; errors go to stderr in the program's own words.
#pragma once

// argv[0] is the command name. Returns the process exit code.
int RunBatchCommand(int argc, char** argv);
