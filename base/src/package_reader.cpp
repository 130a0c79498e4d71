// Reading a puzzle package from bytes in memory. Every size taken from the file is
// checked against the bytes that are really there before it is used, sums are made in
// 64 bits from 32-bit fields (so they cannot overflow), and the loop over chunks always
// moves forward, so no input can make the reader read astray, allocate on a file's say-so
// or run long.
#include "base/package_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/limits.h"
#include "base/platform.h"
#include "base/work_folder.h"

namespace klv {
namespace {

constexpr size_t kRiffHeaderSize = 12;  // "RIFF", the size, the form type
constexpr size_t kChunkHeaderSize = 8;  // the id and the size
constexpr size_t kPictureMinimum = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// Fields of a BMP file image, from its first byte.
constexpr size_t kBmpFileSizeField = 2;
constexpr size_t kBmpReservedField = 6;  // two 16-bit fields
constexpr size_t kBmpPixelOffsetField = 10;
constexpr size_t kBmpHeaderSizeField = 14;
constexpr size_t kBmpWidthField = 18;
constexpr size_t kBmpHeightField = 22;
constexpr size_t kBmpBitCountField = 28;
constexpr size_t kBmpCompressionField = 30;
constexpr size_t kBmpImageSizeField = 34;
constexpr size_t kBmpUsedColorsField = 46;

std::string Number(uint64_t value) { return std::to_string(value); }

// An identifier found in the file, quoted: printable ASCII as it is, any other byte as
// \xNN.
std::string QuotedId(const uint8_t* id) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (id[i] >= 0x20 && id[i] < 0x7F && id[i] != '\\') {
      text += static_cast<char>(id[i]);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", id[i]);
      text += escaped;
    }
  }
  return "'" + text + "'";
}

std::string IdText(const ChunkId& id) { return std::string(id.begin(), id.end()); }

bool IsId(const uint8_t* bytes, const ChunkId& id) {
  return std::memcmp(bytes, id.data(), id.size()) == 0;
}

enum class Role { kForm, kHeader, kBase, kTile };

// The chunk a problem is about: the form, the header, the base, or tile chunk `tile`
// (all tile chunks when -1).
struct Where {
  Role role;
  int64_t tile = -1;
};
constexpr Where kForm{Role::kForm};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> file) : file_(file) { package_.fileSize = file.size(); }

  Package Read() {
    if (file_.size() < kRiffHeaderSize) {
      Problem(kForm, 0,
              "the file is " + Number(file_.size()) + " bytes long, too short for a RIFF form (" +
                  Number(kRiffHeaderSize) + " bytes)");
      return Finish();
    }
    if (!IsId(At(0), kRiffId)) {
      Problem(kForm, 0, "the file starts with " + QuotedId(At(0)) + ", not 'RIFF'");
    }
    const uint64_t declared = GetLe32(At(4));
    if (declared != file_.size() - 8) {
      Problem(kForm, 4,
              "the size field says " + Number(declared) + " bytes follow it, the file holds " +
                  Number(file_.size() - 8));
    }
    if (!IsId(At(8), kPackageFormType)) {
      Problem(kForm, 8, "the form type is " + QuotedId(At(8)) + ", not 'DATA'");
    }
    ReadChunks();
    CheckCompleteness();
    return Finish();
  }

 private:
  const uint8_t* At(uint64_t offset) const { return file_.data() + offset; }
  uint64_t Remaining(uint64_t offset) const { return file_.size() - offset; }

  void Problem(Where where, uint64_t offset, std::string what) {
    ++problem_count_;
    if (package_.problems.size() < kMaxPackageProblems) {
      package_.problems.push_back({Label(where), offset, std::move(what)});
    }
  }

  Package Finish() {
    if (problem_count_ > kMaxPackageProblems) {
      package_.problems.push_back(
          {Label(kForm), file_.size(),
           Number(problem_count_ - kMaxPackageProblems) + " more problems are not listed"});
    }
    return std::move(package_);
  }

  // The chunk a problem is about, named by its role.
  std::string Label(Where where) const {
    switch (where.role) {
      case Role::kForm: return IdText(kRiffId);
      case Role::kHeader: return IdText(kHeaderChunkId);
      case Role::kBase: return IdText(kBaseChunkId);
      case Role::kTile: break;
    }
    if (where.tile < 0) return IdText(kTileChunkId);
    const int64_t tile_index = where.tile;
    std::string label = IdText(kTileChunkId) + " " + Number(static_cast<uint64_t>(tile_index));
    if (tile_index < package_.GridTileCount()) {
      label += " (row " + Number(static_cast<uint64_t>(tile_index / package_.header->xMax)) +
               ", column " + Number(static_cast<uint64_t>(tile_index % package_.header->xMax)) +
               ")";
    }
    return label;
  }

  // The role of the chunk at `offset` with the id found there: known ids by their id,
  // an unknown one by its place (reported).
  Role RoleOf(uint64_t offset) {
    const uint8_t* id = At(offset);
    if (IsId(id, kHeaderChunkId)) return Role::kHeader;
    if (IsId(id, kBaseChunkId)) return Role::kBase;
    if (IsId(id, kTileChunkId)) return Role::kTile;
    Role role = Role::kTile;
    if (chunks_ == 0) {
      role = Role::kHeader;
    } else if (!base_chunk_found_ && package_.tileChunks == 0) {
      role = Role::kBase;
    }
    const ChunkId& expected = role == Role::kHeader ? kHeaderChunkId
                              : role == Role::kBase ? kBaseChunkId
                                                    : kTileChunkId;
    Problem(Where{role, package_.tileChunks}, offset,
            "the chunk's id is " + QuotedId(id) + ", not '" + IdText(expected) +
                "'; read as that chunk by its place");
    return role;
  }

  void ReadChunks() {
    uint64_t offset = kRiffHeaderSize;
    while (offset < file_.size()) {
      if (Remaining(offset) < kChunkHeaderSize) {
        Problem(kForm, offset,
                Number(Remaining(offset)) + " bytes after the last chunk, too few for a chunk");
        return;
      }
      const Role role = RoleOf(offset);
      const int64_t tile_index = package_.tileChunks;
      const Where where{role, tile_index};
      const uint64_t size = GetLe32(At(offset + 4));
      const uint64_t data = offset + kChunkHeaderSize;
      if (size > Remaining(data)) {
        Problem(where, offset + 4,
                "the chunk's size " + Number(size) + " runs " + Number(size - Remaining(data)) +
                    " bytes past the end of the file");
        // What there is of a header still tells the grid and the texts.
        if (role == Role::kHeader && !package_.header) {
          package_.header = DecodeRecord(file_.subspan(data));
        }
        if (role == Role::kBase) base_chunk_found_ = true;
        if (role == Role::kTile) ++package_.tileChunks;
        return;
      }
      const std::span<const uint8_t> bytes = file_.subspan(data, size);
      if (role == Role::kHeader) {
        ReadHeader(offset, bytes, where);
      } else if (role == Role::kBase) {
        ReadBase(offset, bytes, where);
      } else {
        ReadTile(offset, bytes, where, tile_index);
      }
      ++chunks_;
      offset = data + size;
      if (size % 2 == 1) offset = SkipPad(offset, where);
    }
  }

  // The offset after the pad byte at `pad`, which follows odd-sized data.
  uint64_t SkipPad(uint64_t pad, Where where) {
    if (pad == file_.size()) {
      Problem(where, pad, "the pad byte after the chunk's odd-sized data is missing");
      return pad;
    }
    if (*At(pad) == 0) return pad + 1;
    // A writer that leaves the pad out puts the next chunk's id right here.
    if (Remaining(pad) >= kChunkHeaderSize &&
        (IsId(At(pad), kTileChunkId) || IsId(At(pad), kBaseChunkId) ||
         IsId(At(pad), kHeaderChunkId))) {
      Problem(where, pad, "the pad byte after the chunk's odd-sized data is missing");
      return pad;
    }
    Problem(where, pad,
            "the pad byte after the chunk's odd-sized data is " + Hex(*At(pad)) + ", not 0");
    return pad + 1;
  }

  // The header record from a chunk's data: cut to 592 bytes or zero-filled to them.
  static PackageHeaderBytes RecordOf(std::span<const uint8_t> bytes) {
    PackageHeaderBytes raw{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), raw.size()), raw.begin());
    return raw;
  }

  static PackageHeader DecodeRecord(std::span<const uint8_t> bytes) {
    return DecodePackageHeader(RecordOf(bytes));
  }

  static std::string Hex(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
  }

  void ReadHeader(uint64_t offset, std::span<const uint8_t> bytes, Where where) {
    if (chunks_ != 0) {
      Problem(where, offset,
              package_.header ? "a second header chunk; ignored"
                              : "the header chunk is not the first chunk");
      if (package_.header) return;
    }
    const uint64_t record = offset + kChunkHeaderSize;
    if (bytes.size() != kPackageHeaderSize) {
      Problem(where, offset + 4,
              "the header chunk holds " + Number(bytes.size()) + " bytes, not " +
                  Number(kPackageHeaderSize));
    }
    const PackageHeaderBytes raw = RecordOf(bytes);
    package_.header = DecodePackageHeader(raw);
    // The fields of a record cut short are not there to be checked.
    if (bytes.size() < kPackageHeaderSize) return;
    const PackageHeader& header = *package_.header;

    const PackageHeader grid = NewPackageHeader(header.xMax, header.yMax);
    struct Computed {
      const char* name;
      size_t field;
      int16_t stored, expected;
      const char* rule;
    };
    const Computed computed[] = {
        {"tileWidth", kTileWidthOffset, header.tileWidth, grid.tileWidth, ""},
        {"tileHeight", kTileHeightOffset, header.tileHeight, grid.tileHeight, ""},
        {"pictureWidth", kPictureWidthOffset, header.pictureWidth, grid.pictureWidth,
         " ((xMax + 1) x 32)"},
        {"pictureHeight", kPictureHeightOffset, header.pictureHeight, grid.pictureHeight,
         " ((yMax + 1) x 32)"},
    };
    for (const Computed& c : computed) {
      if (c.stored != c.expected) {
        Problem(where, record + c.field,
                std::string(c.name) + " is " + std::to_string(c.stored) + ", not " +
                    std::to_string(c.expected) + c.rule);
      }
    }
    for (const TextField& field : kTextFields) {
      const uint8_t* begin = raw.data() + field.offset;
      const uint8_t* terminator = std::find(begin, begin + field.width, uint8_t{0});
      if (terminator == begin + field.width) {
        Problem(where, record + field.offset,
                std::string(field.name) + " fills its " + Number(field.width) +
                    " bytes without a terminating zero byte");
      } else if (std::any_of(terminator, begin + field.width, [](uint8_t b) { return b != 0; })) {
        Problem(where, record + field.offset,
                std::string(field.name) + " holds bytes after its terminating zero byte");
      }
      if (const uint8_t* ff = std::find(begin, terminator, uint8_t{0xFF}); ff != terminator) {
        Problem(where, record + static_cast<uint64_t>(ff - raw.data()),
                std::string(field.name) + " holds the byte 0xFF, which no text byte scrambles to");
      }
    }
    CheckZero(where, record, raw, kDifficultyOffset + 2, kBackColorOffset);
    CheckZero(where, record, raw, kBackColorOffset + 3, kPassWordOffset);
    CheckZero(where, record, raw, kReservedTailOffset, kPackageHeaderSize);
  }

  // Reports the first non-zero byte of the reserved bytes [begin, end) of the record.
  void CheckZero(Where where, uint64_t record, const PackageHeaderBytes& raw, size_t begin,
                 size_t end) {
    for (size_t i = begin; i < end; ++i) {
      if (raw[i] != 0) {
        Problem(where, record + i,
                "reserved header bytes " + Number(begin) + " to " + Number(end - 1) +
                    " are not all zero");
        return;
      }
    }
  }

  void ReadBase(uint64_t offset, std::span<const uint8_t> bytes, Where where) {
    if (base_chunk_found_) {
      Problem(where, offset, "a second base chunk; ignored");
      return;
    }
    base_chunk_found_ = true;
    if (!package_.header) Problem(where, offset, "the base chunk comes before the header chunk");
    if (package_.tileChunks > 0) Problem(where, offset, "the base chunk comes after tile chunks");
    if (std::optional<PackagePicture> picture = ReadPicture(offset, bytes, where)) {
      package_.base = std::move(picture);
    }
  }

  void ReadTile(uint64_t offset, std::span<const uint8_t> bytes, Where where, int64_t index) {
    ++package_.tileChunks;
    if (!package_.header) Problem(where, offset, "a tile chunk comes before the header chunk");
    const int64_t grid = package_.GridTileCount();
    if (package_.header && index >= grid) {
      Problem(where, offset, "a tile chunk beyond the grid's " + std::to_string(grid) + " tiles");
    }
    std::optional<PackagePicture> picture = ReadPicture(offset, bytes, where);
    if (!picture) return;
    picture->index = index;
    if (index < grid) {
      picture->row = static_cast<int>(index / package_.header->xMax);
      picture->column = static_cast<int>(index % package_.header->xMax);
    }
    package_.tiles.push_back(std::move(*picture));
  }

  // The picture of a chunk, checked field by field against what the writer makes;
  // nothing when the chunk cannot hold one.
  std::optional<PackagePicture> ReadPicture(uint64_t offset, std::span<const uint8_t> bytes,
                                            Where where) {
    const uint64_t at = offset + kChunkHeaderSize;
    if (bytes.size() < kPictureMinimum) {
      Problem(where, offset + 4,
              "the chunk holds " + Number(bytes.size()) + " bytes, too few for a picture (" +
                  Number(kPictureMinimum) + ")");
      return std::nullopt;
    }
    const uint8_t* p = bytes.data();
    auto field32 = [p](size_t field) { return uint64_t{GetLe32(p + field)}; };
    if (p[0] != 'B' || p[1] != 'M') {
      Problem(where, at, "the picture does not start with \"BM\"");
    }
    if (field32(kBmpFileSizeField) != bytes.size()) {
      Problem(where, at + kBmpFileSizeField,
              "the picture's file-size field is " + Number(field32(kBmpFileSizeField)) +
                  ", not the chunk's size " + Number(bytes.size()));
    }
    if (field32(kBmpReservedField) != 0) {
      Problem(where, at + kBmpReservedField, "the picture's reserved fields are not zero");
    }
    PackagePicture picture;
    picture.offset = offset;
    picture.bmp.assign(bytes.begin(), bytes.end());
    if (field32(kBmpHeaderSizeField) != kBmpInfoHeaderSize) {
      Problem(where, at + kBmpHeaderSizeField,
              "the picture's info header is " + Number(field32(kBmpHeaderSizeField)) +
                  " bytes long, not 40");
      return picture;
    }
    const int32_t width = GetLe32Signed(p + kBmpWidthField);
    const int32_t height = GetLe32Signed(p + kBmpHeightField);
    if (width < 0 || height < 0) {
      Problem(where, at + (width < 0 ? kBmpWidthField : kBmpHeightField),
              "the picture's size " + std::to_string(width) + " x " + std::to_string(height) +
                  " is negative");
      return picture;
    }

    const uint64_t bits = GetLe16(p + kBmpBitCountField);
    uint64_t colors = field32(kBmpUsedColorsField);
    if (colors == 0) colors = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    const uint64_t table = 4 * colors;
    if (field32(kBmpPixelOffsetField) != kPictureMinimum + table) {
      Problem(where, at + kBmpPixelOffsetField,
              "the picture's offset to its pixels is " + Number(field32(kBmpPixelOffsetField)) +
                  ", not " + Number(kPictureMinimum + table));
    }
    const uint64_t compression = field32(kBmpCompressionField);
    uint64_t pixels = field32(kBmpImageSizeField);
    if (compression != 1 && compression != 2) {
      // A row is below 2^45 bytes; times a height below 2^31 it may pass 2^64.
      const uint64_t row = (bits * static_cast<uint64_t>(width) + 31) / 32 * 4;
      const std::optional<uint64_t> size = CheckedMul(row, static_cast<uint64_t>(height));
      if (!size || *size != pixels) {
        Problem(where, at + kBmpImageSizeField,
                "the picture's image-size field is " + Number(pixels) + ", its rows make " +
                    (size ? Number(*size) : std::string("more than 2^64")) + " bytes");
        return picture;
      }
    }
    if (kPictureMinimum + table + pixels != bytes.size()) {
      Problem(where, offset + 4,
              "the chunk holds " + Number(bytes.size()) +
                  " bytes, its picture's header calls for " +
                  Number(kPictureMinimum + table + pixels));
    }
    return picture;
  }

  void CheckCompleteness() {
    const uint64_t end = file_.size();
    if (!package_.header) Problem(Where{Role::kHeader}, end, "the package has no header chunk");
    if (!base_chunk_found_) Problem(Where{Role::kBase}, end, "the package has no base chunk");
    const int64_t grid = package_.GridTileCount();
    if (package_.tileChunks < grid) {
      Problem(Where{Role::kTile}, end,
              "the grid of " + std::to_string(package_.header->xMax) + " x " +
                  std::to_string(package_.header->yMax) + " holds " + std::to_string(grid) +
                  " tiles, the package " + std::to_string(package_.tileChunks) + " tile chunks");
    }
  }

  std::span<const uint8_t> file_;
  Package package_;
  uint64_t problem_count_ = 0;
  uint64_t chunks_ = 0;  // chunks read whole
  bool base_chunk_found_ = false;
};

}  // namespace

std::string DescribeProblem(const PackageProblem& problem) {
  return problem.chunk + " at offset " + std::to_string(problem.offset) + ": " + problem.what;
}

bool BeginsAsPackage(std::span<const uint8_t> file) {
  return file.size() >= kRiffHeaderSize + kChunkHeaderSize && IsId(file.data(), kRiffId) &&
         IsId(file.data() + 8, kPackageFormType) && IsId(file.data() + 12, kHeaderChunkId) &&
         GetLe32(file.data() + 16) == kPackageHeaderSize;
}

Package ReadPackage(std::span<const uint8_t> file) { return Reader(file).Read(); }

std::optional<std::vector<uint8_t>> ReadPackageFile(Env& env, const std::string& path,
                                                    std::string* cause) {
  if (env.CheckFolder(path).ok()) {
    *cause = "is a folder";
    return std::nullopt;
  }
  std::unique_ptr<InputFile> file;
  Status status = env.OpenForSharedRead(path, &file);
  if (!status.ok()) {
    *cause = "cannot be opened: " + status.reason();
    return std::nullopt;
  }
  uint64_t length = 0;
  status = file->Length(&length);
  if (!status.ok()) {
    *cause = "cannot be measured: " + status.reason();
    return std::nullopt;
  }
  if (length > kMaxPackageFileBytes) {
    *cause = "is " + std::to_string(length) + " bytes long, more than a package may be (" +
             std::to_string(kMaxPackageFileBytes >> 20) + " MiB)";
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  size_t have = 0;
  while (have < bytes.size()) {
    size_t got = 0;
    status = file->Read(bytes.data() + have, bytes.size() - have, &got);
    if (!status.ok()) {
      *cause = "cannot be read: " + status.reason();
      return std::nullopt;
    }
    if (got == 0) break;
    have += got;
  }
  if (have != bytes.size()) {
    *cause = "cannot be read whole";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace klv
