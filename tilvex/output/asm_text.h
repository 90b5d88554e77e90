#pragma once

// The assembler text shapes the writers share ("$%02X" bytes, sixteen to a "\tdb\t" line)
// and the form text files take on disk: CR LF line ends, GBK characters.

#include <cstdint>
#include <string>
#include <vector>

namespace tilvex {

// "$%02X" of the value's low byte.
std::string AsmByte(unsigned value);

// Values sixteen to a line, "\tdb\t" at the start of each, "," after every value but the
// sixteenth of a line, which ends the line.
void AppendDbLines(std::string& out, const std::vector<uint8_t>& values);

// Upper case of the ASCII letters; labels and file names are made from it.
std::string UpperAscii(std::string text);

// Text mode: every "\n" becomes CR LF.
std::string ToCrlf(const std::string& text);

// UTF-8 to GBK (code page 936); a character GBK cannot hold, or a broken UTF-8 sequence,
// becomes "?".
std::string GbkOrQuestionMarks(const std::string& utf8);

// A text file's bytes on disk: CR LF line ends, GBK characters.
std::vector<uint8_t> TextFileBytes(const std::string& text);

}  // namespace tilvex
