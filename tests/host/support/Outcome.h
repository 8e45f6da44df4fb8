#pragma once
// How a run of the installer ended, read from the messages it tried to show.
#include <string>

#include "platform/host/Machine.h"

enum class Ending { Completed, Fatal, TargetFailed, CreateFailed, Refused, Silent, Other };

const char* Name(Ending ending);
// The text of the last message box the program tried to show, shown or not: a message box that
// fails does not change what the program did. Empty when it showed none.
std::string LastMessage(const host::Machine& m);
Ending EndingOf(const host::Machine& m);

struct InstallerRun;
// The promises every run keeps, whatever went wrong: a fatal error and only a fatal error ends
// with exit code 1; nothing stays open; a completed installation holds the undamaged program
// and the recorded directory (unless `writeMayFail`); any other ending leaves the files as they
// were (unless `leftoversAllowed`: a removal the platform refused) and records nothing.
// Returns the problems found, "" for none.
std::string CheckEnd(host::Machine& m, const InstallerRun& run, const std::string& filesBefore,
                     bool leftoversAllowed, bool writeMayFail);
