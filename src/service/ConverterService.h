// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The converter service: the program started with `--converter-service` loads poppler once and
// converts on request, each request in a child forked for it (no exec), so a crash, a hang or a
// runaway allocation hits only that child. Requests come on standard input and answers go to
// standard output in the format of ServiceProtocol.h.
//
// Each child gets the request's memory limit as its address-space limit and dies with the
// service; the service kills a child that goes longer than the request's time limit without new
// text. The service ends, killing its children, when its standard input closes or its standard
// output is gone. It makes no QCoreApplication and no thread, so forking it is safe.
namespace converterservice {

inline constexpr const char *commandLineSwitch = "--converter-service";

// Whether the command line asks for the service instead of the window.
bool isRequested(int argc, char **argv);

// Serves until standard input closes; returns the process's exit code.
int run();

} // namespace converterservice
