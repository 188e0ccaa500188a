#pragma once

// Ends the program: the message loop stops after the current event, and every window is
// destroyed with the application.
void endProgram();
