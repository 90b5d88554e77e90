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
// MAME shows no start-up screens (among them the warning about a ROM it does not know,
// which waits for a key) when asked to stop after fewer than 300 emulated seconds; it is
// the only way MAME offers. The preview window so closes by itself after five minutes.
constexpr int kMamePreviewSeconds = 299;

struct EmulatorCommand {
  std::string program;  // an absolute path
  std::vector<std::string> arguments;
};

// A program of that name on PATH or in /usr/games (where Debian puts emulators), as an
// absolute path; empty when there is none.
std::string FindProgram(const std::string& name);

// How to show the preview image: the configured emulator (the setting "Emulator") on the
// NES file; else MAME's VT03 machine in a window, for which the ROM folder "mame-roms" is
// made beside the NES file; else, for a 4-colour picture, FCEUX on the NES file (FCEUX
// draws 16-colour tiles as garbage). Fails with a message when no emulator can show it.
// findProgram is FindProgram unless a test supplies its own.
Result PlanEmulatorRun(const std::string& configured, const std::string& nesPath,
                       const std::vector<uint8_t>& image, int colourMode, EmulatorCommand& command,
                       std::string (*findProgram)(const std::string&) = FindProgram);

}  // namespace tilvex
