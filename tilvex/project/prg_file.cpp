#include "project/prg_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "common/file_io.h"
#include "common/gbk.h"
#include "common/translate.h"

namespace tilvex {
using common::ReadFileBytes;
using common::WriteFileReplacing;
namespace {

// The longest start of a GBK text that fits in maxBytes without splitting a character.
std::string CutGbk(const std::string& gbk, size_t maxBytes) {
  size_t end = 0;
  while (end < gbk.size()) {
    const size_t width = static_cast<uint8_t>(gbk[end]) >= 0x81 ? 2 : 1;
    if (end + width > maxBytes || end + width > gbk.size()) break;
    end += width;
  }
  return gbk.substr(0, end);
}

constexpr char kSignature[5] = {'P', 'R', 'G', '2', '\0'};
constexpr size_t kMaxFileBytes = 64u << 20;  // 255 nodes of 3 x 64 KB strings fit well below

const char kWrongSignature[] = "PRG文件错误!";

// Little-endian reader over the file's bytes that notices when the file ends early.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  uint8_t U8() { return static_cast<uint8_t>(Take(1)[0]); }
  uint16_t U16() {
    const char* p = Take(2);
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
  }
  uint32_t U32() {
    const char* p = Take(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(p[i]);
    return v;
  }
  std::string Bytes(size_t n) { return std::string(Take(n), ok_ ? n : 0); }

 private:
  const char* Take(size_t n) {
    static const char zeros[8] = {};
    if (!ok_ || bytes_.size() - pos_ < n) {
      ok_ = false;
      return zeros;
    }
    const char* p = bytes_.data() + pos_;
    pos_ += n;
    return p;
  }
  const std::string& bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

void PutU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool PutString(std::string& out, const std::string& utf8) {
  const auto gbk = common::Utf8ToGbk(utf8);
  if (!gbk || gbk->size() > 0xFFFF) return false;
  PutU16(out, static_cast<uint16_t>(gbk->size()));
  out += *gbk;
  return true;
}

std::string DecodeText(const std::string& gbk) {
  // Text that is not GBK is kept byte for byte rather than lost.
  return common::GbkToUtf8(gbk).value_or(gbk);
}

}  // namespace

Result EncodeProject(const ProjectTree& tree, std::string& bytes) {
  bytes.assign(kSignature, sizeof kSignature);
  const auto order = tree.PreOrder();
  if (order.size() > static_cast<size_t>(ProjectTree::kMaxNodes)) {
    return Result::Fail(common::Tr("工程最多只能有255个节点!"),
                        "too many nodes for a project file");
  }
  bytes += static_cast<char>(order.size());
  for (const ProjectTree::Visit& v : order) {
    const ProjectTree::TreeNode& node = tree.Node(v.id);
    PutU32(bytes, v.depth);
    bytes += static_cast<char>(node.image);
    // A label is a display copy of the name; the file has one byte for its length.
    const std::string label = CutGbk(common::Utf8ToGbk(node.label).value_or(""), 255);
    bytes += static_cast<char>(label.size());
    bytes += label;
    const ProjectNode* r = tree.Record(v.id);
    if (!r) continue;
    if (!PutString(bytes, r->name) || !PutString(bytes, r->path) || !PutString(bytes, r->extra)) {
      return Result::Fail(common::TrFill("节点{0}的名称或路径无法保存!", {r->name}),
                          "a name or path is not GBK text or is longer than 65535 bytes");
    }
    const uint8_t fields[8] = {r->kind,     r->subHeight,    r->reserved14, r->subY,
                               r->subWidth, r->autoIncrease, r->reserved18, r->valid};
    bytes.append(reinterpret_cast<const char*>(fields), sizeof fields);
    PutU32(bytes, r->subX);
  }
  return Result::Ok();
}

Result DecodeProject(const std::string& bytes, ProjectTree& tree) {
  Reader in(bytes);
  if (in.Bytes(5) != std::string(kSignature, sizeof kSignature)) {
    return Result::Fail(common::Tr(kWrongSignature), "not a project file");
  }
  const int count = in.U8();
  ProjectTree read;
  ProjectTree::NodeId previous = ProjectTree::kNoNode;
  uint32_t previousDepth = 0;
  for (int k = 0; k < count; ++k) {
    const uint32_t depth = in.U32();
    const uint8_t image = in.U8();
    const std::string label = DecodeText(in.Bytes(in.U8()));
    if (!in.ok()) break;
    // Each node hangs under the last node one level up; a depth may rise by one only.
    ProjectTree::NodeId parent = ProjectTree::kNoNode;
    if (k == 0) {
      if (depth != 0)
        return Result::Fail(common::Tr("PRG文件的层次错误!"), "the first node is not the root");
    } else if (depth == 0 || depth > previousDepth + 1) {
      return Result::Fail(common::Tr("PRG文件的层次错误!"),
                          "node depths jump by more than one level");
    } else if (depth > previousDepth) {
      parent = previous;
    } else {
      parent = read.Node(previous).parent;
      for (uint32_t up = depth; up < previousDepth; ++up) parent = read.Node(parent).parent;
    }
    if (k == 0) {
      previous = read.AppendNode(ProjectTree::kNoNode, label, image, nullptr);
    } else {
      ProjectNode r;
      r.name = DecodeText(in.Bytes(in.U16()));
      r.path = DecodeText(in.Bytes(in.U16()));
      r.extra = DecodeText(in.Bytes(in.U16()));
      const std::string fields = in.Bytes(8);
      r.subX = in.U32();
      if (!in.ok()) break;
      r.kind = static_cast<uint8_t>(fields[0]);
      r.subHeight = static_cast<uint8_t>(fields[1]);
      r.reserved14 = static_cast<uint8_t>(fields[2]);
      r.subY = static_cast<uint8_t>(fields[3]);
      r.subWidth = static_cast<uint8_t>(fields[4]);
      r.autoIncrease = static_cast<uint8_t>(fields[5]);
      r.reserved18 = static_cast<uint8_t>(fields[6]);
      r.valid = static_cast<uint8_t>(fields[7]);
      previous = read.AppendNode(parent, label, image, &r);
    }
    previousDepth = depth;
  }
  if (!in.ok()) return Result::Fail(common::Tr("PRG文件不完整!"), "the project file ends early");
  tree = std::move(read);
  return Result::Ok();
}

Result ReadProjectFile(const std::string& path, ProjectTree& tree) {
  std::vector<uint8_t> data;
  if (Result r = ReadFileBytes(path, kMaxFileBytes, data, true); !r) {
    return Result::Fail(common::TrFill("无法打开工程文件{0}!", {path}), r.detail);
  }
  return DecodeProject(std::string(data.begin(), data.end()), tree);
}

Result WriteProjectFile(const ProjectTree& tree, const std::string& path) {
  std::string bytes;
  if (Result r = EncodeProject(tree, bytes); !r) return r;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  if (Result written = WriteFileReplacing(path, {p, bytes.size()}); !written) {
    return Result::Fail(common::WithReason(common::TrFill("无法写入工程文件{0}!", {path}), written),
                        written.detail);
  }
  return Result::Ok();
}

}  // namespace tilvex
