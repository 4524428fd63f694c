// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class ConverterDeployment;
class QWidget;

// The window is closing and its converters are stopped: the deployed converter and the private
// folders of a conversion or preview that was cut short are removed. The caller then ends the
// process (without running destructors, hence the explicit removal here).
void shutDown(ConverterDeployment &deployment);

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, a closed terminal) close `window` as its user
// would: the run stops, its staging folders and partial texts go, and the converters end with it.
void closeOnStopSignals(QWidget &window);
