#pragma once

#include <functional>

// Ends the program: the message loop stops after the current event, and every window is
// destroyed with the application.
void EndProgram();

// Tests replace the ending with a handler of their own; an empty handler restores it.
void setEndProgramHandlerForTesting(std::function<void()> handler);
