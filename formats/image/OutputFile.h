#pragma once
// Opening and closing the image writers' output files.
#include <fstream>
#include <string>

namespace formats {

// Opens a UTF-8 file name for binary writing, truncating it; on Windows the
// name goes through its UTF-16 form so any character survives.
std::ofstream openForWriting(const std::string& utf8Name);

// Flushes and closes the file; true when every byte written reached it. The
// final flush happens here, so a full disk is caught even for small files.
bool closeWritten(std::ofstream& file);

}  // namespace formats
