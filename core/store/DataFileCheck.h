#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Tells from the first records of a capture data file which record layout it has, before the
// store reads it. Records are 1 + rawLength bytes.
//
// 1 when the record layout of the file is determined (*layout 1: 2-byte length, 0: 1-byte
// length), 0 when not (*layout 0) or the file cannot be opened (*layout unchanged). With the
// protocol "Generic", a first record that fails the layout test is still taken for the
// 2-byte layout when the next two records carry the next two packet numbers.
// A file that cannot be opened gives "Can't open file: " with the system's text: into *error
// when error is given, else in a message box.
int CheckDataFileLayout(const std::string& path, uint16_t rawLength, int* layout,
                        const std::string& protocolName = std::string(), std::string* error = nullptr);

// The same test on the first bytes of a file (size of them; more than three records are not
// looked at). Reads nothing outside data.
int CheckDataFileBytes(const uint8_t* data, size_t size, uint16_t rawLength, bool generic, int* layout);

// How many bytes of a file CheckDataFileBytes looks at: three records.
size_t DataFileCheckLength(uint16_t rawLength);
