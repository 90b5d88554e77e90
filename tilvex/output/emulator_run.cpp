#include "output/emulator_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "common/program_search.h"
#include "common/translate.h"
#include "common/write_target.h"
#include "doc/file_writes.h"

namespace tilvex {
namespace {

namespace fs = std::filesystem;

// The folder `name` inside the open folder `parent`, made when missing. A link there is
// refused (O_NOFOLLOW): the ROM folder is ours, and a planted link would send the image
// elsewhere.
int OpenOwnFolder(int parent, const char* name) {
  if (mkdirat(parent, name, 0755) != 0 && errno != EEXIST) return -1;
  return openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Writes mame-roms/<machine>/rom.bin under `base` without following a link anywhere below
// `base`: a new file under a fresh name, renamed over rom.bin (which replaces a link there
// rather than writing through it).
Result WriteMameRom(const fs::path& base, const std::vector<uint8_t>& image) {
  const std::string shown = (base / "mame-roms" / kMameVt03Machine / "rom.bin").string();
  auto fail = [&](int error) {
    return Result::Fail(common::TrFill("无法写入文件 {0}: {1}", {shown, std::strerror(error)}),
                        "cannot write " + shown + ": " + std::strerror(error));
  };
  const int top = open(base.empty() ? "." : base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (top < 0) return fail(errno);
  const int roms = OpenOwnFolder(top, "mame-roms");
  int error = errno;
  close(top);
  if (roms < 0) return fail(error);
  const int machine = OpenOwnFolder(roms, kMameVt03Machine);
  error = errno;
  close(roms);
  if (machine < 0) return fail(error);
  std::random_device random;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = ".rom.bin." + std::to_string(random());
    fd = openat(machine, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  }
  bool ok = fd >= 0 && common::WriteAllBytes(fd, image);
  error = errno;
  if (fd >= 0) ok = close(fd) == 0 && ok;
  if (ok && renameat(machine, temp.c_str(), machine, "rom.bin") != 0) ok = false, error = errno;
  if (!ok && fd >= 0) unlinkat(machine, temp.c_str(), 0);
  close(machine);
  return ok ? Result::Ok() : fail(error ? error : EIO);
}

constexpr char kNeedMameMessage[] =
    "16色图片的预览需要MAME(FCEUX只能显示4色图片)。请安装MAME(Debian: sudo apt install "
    "mame),或在设置 Emulator 中指定模拟器。";

bool IsFceux(const std::string& program) {
  return fs::path(program).filename().string().rfind("fceux", 0) == 0;
}

Result SixteenColoursNeedMame() {
  return Result::Fail(common::Tr(kNeedMameMessage), "16-colour previews need MAME");
}

}  // namespace

std::string FindProgram(const std::string& name) {
  return common::FindProgram(name, common::ProgramSearchPath());
}

Result PlanEmulatorRun(const std::string& configured, const std::string& nesPath,
                       const std::vector<uint8_t>& image, int colourMode, EmulatorCommand& command,
                       std::string (*findProgram)(const std::string&)) {
  // Absolute: a name beginning with "-" would be read as an option.
  const std::string nes = common::AbsolutePath(nesPath);
  const bool sixteenColours = colourMode == 0;
  if (!configured.empty()) {
    const std::string program = common::AbsolutePath(findProgram(configured));
    if (program.empty()) {
      return Result::Fail(common::TrFill("找不到模拟器程序 {0}(设置 Emulator)。", {configured}),
                          "the emulator " + configured + " is not there");
    }
    if (sixteenColours && IsFceux(program)) return SixteenColoursNeedMame();
    command = {program, {nes}};
    return Result::Ok();
  }
  if (std::string mame = common::AbsolutePath(findProgram("mame")); !mame.empty()) {
    // MAME loads a machine's ROM by name from a folder named after the machine.
    const fs::path base = fs::path(nes).parent_path();
    if (Result written = WriteMameRom(base, image); !written.ok) return written;
    command = {mame,
               {kMameVt03Machine, "-rompath", (base / "mame-roms").string(), "-window",
                "-skip_gameinfo", "-seconds_to_run", std::to_string(kMamePreviewSeconds)}};
    return Result::Ok();
  }
  if (sixteenColours) return SixteenColoursNeedMame();
  if (std::string fceux = common::AbsolutePath(findProgram("fceux")); !fceux.empty()) {
    command = {fceux, {nes}};
    return Result::Ok();
  }
  return Result::Fail(
      common::Tr("找不到模拟器:请在设置 Emulator 中指定模拟器程序,或安装 MAME 或 FCEUX。"),
      "no emulator: set Emulator, or install MAME or FCEUX");
}

}  // namespace tilvex
