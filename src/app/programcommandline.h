#pragma once

#include <QString>

#include <optional>

// What the program's own command line asks for: help and version only; the help lists the
// environment variables the program reads. Linux answers on the terminal, and a wrong command line
// ends the program with status 2 before anything opens. The Windows build is a windowed program
// without a terminal: there a wrong argument is logged and ignored, and help and version come back
// as the answer for a message box.
struct ProgramCommandLine {
    std::optional<int> exitStatus; // end now, with this status
    QString answer;                // show this in a message box, then end
};

ProgramCommandLine parseProgramCommandLine(int argc, char* argv[]);
