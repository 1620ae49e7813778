// The options dialog of the command: shows the Source and Destination, lets the user pick the
// candidate elements and the options, and on OK writes them into the settings record.
// Relies on the widget layer (widgets/) for every control, on the catalogue of the plug-in
// object for list rebuilds, and on the C library's locale-dependent text conversions.
#pragma once

class Tovalinder;

// Builds the dialog over the host's main window, runs it modally and reads it back on OK.
// True when the user confirmed with OK; otherwise nothing is written.
bool RunOptionsDialog(Tovalinder* owner);
