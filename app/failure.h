#pragma once
#include <string>

// Tells why the game cannot go on, in the one line "driftwing: <why>", and
// gives the exit status for it.
int Fail(const std::string& why);
