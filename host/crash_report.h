// The crash report for module authors. A fault that nothing handles, in any
// thread, would end the process without a word; instead the host writes
// Varn-crash.txt (exception, faulting module and offset, thread, registers,
// stack, loaded modules, the log's last lines) and the minidump Varn-crash.dmp
// into the game directory, logs one line, shows one message box naming the
// module and the report (unless [Debug] CrashBox is FALSE) and ends with the
// exception code as its exit code. Besides the DirectX check, the multiplayer
// launch and the movie player, this is the one place the host shows a message
// box, and only when the process would otherwise die.
#pragma once

// Installs the handler. The game directory is the working directory at this
// call: the files go there even when a module changes directory later.
void CrashReportInstall();

// [Debug] CrashBox: 0 leaves the message box out (the demo and the package
// runs, which nobody watches). Shown until this is called.
void CrashReportSetBox(int show);
