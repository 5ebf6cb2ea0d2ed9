// Standard input, output and error as a program expects them: open.
#pragma once

// Opens each of descriptors 0, 1 and 2 that is not open on /dev/null. Called first thing, before
// anything else is opened: a program started with them closed would otherwise get its own files
// (a pipe, the display's connection) on them, and what it writes to standard output or error
// would go into those.
void OpenMissingStandardStreams();
