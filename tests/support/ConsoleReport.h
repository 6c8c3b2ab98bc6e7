#pragma once
// For test programs whose code under test points the standard streams at a file (the viewer's
// window sends them to output.log): the descriptors the program started with are kept, and GoogleTest's
// report (and a sanitizer's) is written to them, so that it still reaches the console.

// Descriptors of the standard output and error the program started with.
int ConsoleOut();
int ConsoleErr();
