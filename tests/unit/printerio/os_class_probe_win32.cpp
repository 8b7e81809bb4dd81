// Reports the OS class this process sees as its exit code, for the Windows-version tests:
// Wine gives a program the Windows version its prefix configures for that program's name.

#include "printerio/io_utils.h"

int main() { return CIOUtils::Instance().OsClass(); }
