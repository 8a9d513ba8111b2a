// SPDX-License-Identifier: MIT
// Runs code that may end the process with exit() - the model library's
// documented way out of bad input - in a forked child, so that the fuzzer
// goes on with the next input.
//
// Forking the fuzzer itself once it has grown costs more than the code
// under test, so a small server process is forked at start-up, before
// libFuzzer has allocated anything, and it forks one fresh child per input.
// The body therefore takes its input from files (scratchdir.h) whose paths
// are fixed before the server starts, not from the fuzzer's memory.
//
// The child's coverage counters are added to the fuzzer's after every run,
// whether the child returned or called exit(), so the fuzzer still sees the
// paths an input reached. Anything else that ends the child is a finding: a
// sanitizer report, a signal, a failed assertion, exit() with another
// status than the expected one or where the body forbids it, an oracle's
// verdict, or a leak (checked when the child returned with more heap blocks
// allocated than freed). The fuzzer then aborts and libFuzzer saves the
// input as a crash.
//
// The child's standard output and error go to /dev/null unless
// RADAR_FUZZ_VERBOSE is set; sanitizer reports still reach the fuzzer's
// standard error. A hanging child is caught by the fuzzer's -timeout; the
// server and its child die with the fuzzer.
#pragma once

#include <string>

namespace fuzzsupport {

// Call once, from LLVMFuzzerInitialize.
void startForkServer(void (*body)(), int expectedExitStatus);

// Runs body once in a fresh child. Returns when the child returned from body
// or called exit(expectedExitStatus); aborts otherwise.
void runForked();

// In the child: while on, exit() is a finding whatever its status, for the
// parts of the body whose input must never be refused (an oracle reading
// back what the code under test wrote).
void exitIsFinding(bool on);

// In the child: an oracle's verdict. Prints what on the fuzzer's standard
// error and aborts, which makes the input a finding.
[[noreturn]] void finding(const std::string &what);

} // namespace fuzzsupport
