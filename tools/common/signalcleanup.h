// Hidden temporary files that a signal ending the program removes first.
#pragma once

#include <string>

struct RemovableFile {
    int descriptor; // -1 when the file could not be created (errno tells why)
    int slot;       // for forgetFileOnSignal; -1 when the path could not be registered
};

// Creates a file from a mkstemp pattern (its name replaces the X's) that is removed when any
// signal whose default action ends the process arrives; the process then still ends by that
// signal. Signals are held while the file is created and registered, so none comes between.
// Signals that are ignored or already handled are left alone.
RemovableFile createFileRemovedOnSignal(std::string& pattern);
void forgetFileOnSignal(int slot);
