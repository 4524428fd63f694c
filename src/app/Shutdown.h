#pragma once

// The window is closing: the deployed converter and the private folders of a conversion or
// preview that is cut short are removed. The caller then ends the process.
void shutDown();
