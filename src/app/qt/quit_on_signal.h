#pragma once

// SIGTERM, SIGINT and SIGHUP (the end of a desktop session, Ctrl+C, a
// closed terminal) end the program as its Exit does, so that the settings
// are saved; a signal handler only writes a byte, which the event loop reads.
void quitOnSignals();
