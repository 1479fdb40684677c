// What the command-line tools share: their exit codes, how they report
// failures (with the messages the game's own code logged on the way), and how
// they take paths from the command line.
#pragma once

#include <string>

namespace toolsupport {

const int kFailed = 1;
const int kBadUsage = 2;

// Names the tool in its messages, keeps its usage text, and starts collecting
// the error messages that the libraries log (which the game itself discards).
void BeginReporting(const char* toolName, const char* usage);
void EndReporting();

// Prints the collected error messages, then message; returns kFailed.
int Fail(const std::string& message);
// Prints the collected error messages, or fallback when there are none.
int FailWithReport(const std::string& fallback);
// Prints message and the usage text; returns kBadUsage.
int BadUsage(const std::string& message);

// Paths inside the system use backslashes; '/' is taken as one too.
std::string SystemPath(const std::string& text);

}  // namespace toolsupport
