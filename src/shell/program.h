#pragma once

// The program entry: builds the application and its main window and runs the message loop.
int runSpolebox(int argc, char** argv);
