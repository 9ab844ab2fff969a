#pragma once

// "--help" and "--version": answered on the terminal before anything of the
// window exists, so that they need no display and touch no konfig.ini.

#include <optional>
#include <ostream>

// The exit code when the command line asks for one of them (after printing
// the answer), else nothing and the program starts.
std::optional<int> AnswerInformationSwitches(int argc, char** argv, std::ostream& out);
