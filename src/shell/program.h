#pragma once

class TMainForm;

// The program entry: builds the application and its main window and runs the message loop.
int runSpolebox(int argc, char** argv);

// From now on SIGTERM, SIGHUP and SIGINT (logout, shutdown, kill, the terminal closing,
// Ctrl+C in it) end the program as closing form does (TMainForm::endBySignal), from the
// event loop.
void endOnSignals(TMainForm& form);
