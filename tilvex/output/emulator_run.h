// Showing the device preview in an emulator, for artists without the test device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/result.h"

namespace tilvex {
using common::Result;

// MAME's machine built on the VT03 whose program ROM is the whole 512 KB image.
constexpr const char* kMameVt03Machine = "vtsndtest";

struct EmulatorCommand {
  std::string program;
  std::vector<std::string> arguments;
};

// A program of that name on PATH or in /usr/games (where Debian puts emulators); empty
// when there is none.
std::string FindProgram(const std::string& name);

// How to show the preview image: the configured emulator (the setting "Emulator") on the
// NES file; else MAME's VT03 machine, for which a ROM folder is made beside the NES file;
// else FCEUX on the NES file. Fails with a message when no emulator is available.
// findProgram is FindProgram unless a test supplies its own.
Result PlanEmulatorRun(const std::string& configured, const std::string& nesPath,
                       const std::vector<uint8_t>& image, EmulatorCommand& command,
                       std::string (*findProgram)(const std::string&) = FindProgram);

}  // namespace tilvex
