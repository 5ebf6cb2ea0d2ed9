// Opening a file with the desktop's default program (the shell's "open" verb): xdg-open,
// started detached so that the program neither waits for it nor leaves it behind as a zombie.
#pragma once

#include <string>

// Shell error codes as the platform's ShellExecute gives them (0 to 32 are failures).
inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_NOASSOC = 31;
inline constexpr int SE_ERR_SUCCESS = 42;

// SE_ERR_FNF when the file does not exist, SE_ERR_NOASSOC when xdg-open cannot be started,
// a value above 32 when it was started.
int ShellOpen(const std::string& file);
