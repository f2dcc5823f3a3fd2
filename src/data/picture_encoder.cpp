// The picture encoder. Sections: the LZ item writer; the match finder and the LZ parse; the
// run-length and delta stages; choosing the stages.

#include "data/picture_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "data/byte_writer.h"
#include "data/picture_codec.h"

namespace corvid {

namespace {

// ---- The LZ item writer ----------------------------------------------------------------------

constexpr size_t kMaxDistance = 16384;  // the long match's reach
constexpr size_t kMaxMatch = 4096;      // the longest item
constexpr size_t kShortMaxDistance = 32, kShortMaxLength = 4;
constexpr size_t kMediumMaxDistance = 1024, kMediumMaxLength = 18;
constexpr size_t kMinRun = 9, kMaxRun = 40;  // literal runs

// A match as the stream can carry it: a length that one item encodes, and its size in bytes.
struct MatchItem {
  size_t length = 0;  // 0: no item carries this match
  size_t bytes = 0;
};

// The cheapest item for `available` bytes matching at `distance`: the short form when it
// reaches, else the medium, else the long one with the longest length it encodes (the rest of
// the match is found again at the next position).
MatchItem itemFor(size_t distance, size_t available) {
  if (distance <= kShortMaxDistance && available >= 2 && available <= kShortMaxLength)
    return {available, 1};
  if (available < 3) return {};
  if (distance <= kMediumMaxDistance && available <= kMediumMaxLength) return {available, 2};
  if (available >= 4096) return {4096, 3};
  if (available >= 1024) return {1024, 3};
  if (available >= 256) return {256, 3};
  return {available, 3};
}

// Bits an item saves against sending its bytes as literals (9 bits each, with their flag bit).
long savedBits(const MatchItem& item) {
  return item.length ? long(item.length) * 9 - long(item.bytes) * 8 - 1 : 0;
}

class LzWriter {
 public:
  explicit LzWriter(std::vector<uint8_t>& out) : out_(out) {}

  void literals(const uint8_t* p, size_t n) {
    // Runs pay off from 10 bytes on (9 are a tie); shorter rests go one by one.
    while (n >= kMinRun + 1) {
      const size_t k = std::min(n, kMaxRun);
      flag(true);
      out_.push_back(uint8_t(((k - kMinRun) << 2) | 3));
      out_.insert(out_.end(), p, p + k);
      p += k;
      n -= k;
    }
    for (; n > 0; --n, ++p) {
      flag(false);
      out_.push_back(*p);
    }
  }

  void match(size_t distance, const MatchItem& item) {
    flag(true);
    const size_t d = distance - 1, len = item.length;
    if (item.bytes == 1) {
      out_.push_back(uint8_t((d << 2) | (len - 2)));
    } else if (item.bytes == 2) {
      out_.push_back(uint8_t(0x80 | (d >> 4)));
      out_.push_back(uint8_t(((d & 0x0F) << 4) | (len - 3)));
    } else {
      out_.push_back(uint8_t(0xC0 | (d >> 8)));
      out_.push_back(uint8_t(d & 0xFF));
      out_.push_back(len == 4096 ? 0xFF : len == 1024 ? 0xFE : len == 256 ? 0xFD : uint8_t(len - 3));
    }
  }

  // A decoder that fetches the next flag byte right after an eighth item finds one.
  void finish() {
    if (bitsUsed_ == 8) out_.push_back(0);
  }

 private:
  void flag(bool coded) {
    if (bitsUsed_ == 8) {
      flagAt_ = out_.size();
      out_.push_back(0);
      bitsUsed_ = 0;
    }
    if (coded) out_[flagAt_] |= uint8_t(0x80 >> bitsUsed_);
    ++bitsUsed_;
  }

  std::vector<uint8_t>& out_;
  size_t flagAt_ = 0;
  int bitsUsed_ = 8;  // the first item starts a flag byte
};

// ---- The match finder and the LZ parse -------------------------------------------------------

class MatchFinder {
 public:
  MatchFinder(std::span<const uint8_t> data, int chainDepth)
      : data_(data), depth_(std::max(chainDepth, 1)), head_(kHashSize, -1), prev_(kRing, -1),
        last2_(65536, -1) {}

  struct Found {
    size_t distance = 0;
    MatchItem item;
    long saved = 0;
  };

  // The best item at position i, against every position before it that was inserted.
  Found best(size_t i) const {
    Found best;
    const size_t avail = std::min(kMaxMatch, data_.size() - i);
    if (avail < 2) return best;
    const uint8_t* here = data_.data() + i;
    // The nearest position with the same two bytes, for short matches of 2 the chains miss.
    if (const int32_t at = last2_[pair(i)]; at >= 0)
      consider(best, i - size_t(at), matchLength(data_.data() + at, here, avail));
    if (avail < 3) return best;
    int32_t cand = head_[hash3(i)];
    size_t longest = 0;
    for (int n = depth_; cand >= 0 && n > 0; --n) {
      const size_t distance = i - size_t(cand);
      if (distance > kMaxDistance) break;
      const uint8_t* there = data_.data() + cand;
      if (there[longest] == here[longest]) {
        const size_t len = matchLength(there, here, avail);
        if (len > longest) longest = len;
        consider(best, distance, len);
        if (len == avail) break;
      }
      const int32_t next = prev_[size_t(cand) & (kRing - 1)];
      if (next >= cand) break;  // a slot reused by a newer position: the chain ends here
      cand = next;
    }
    return best;
  }

  void insert(size_t i) {
    if (i + 1 < data_.size()) last2_[pair(i)] = int32_t(i);
    if (i + 2 >= data_.size()) return;
    const uint32_t h = hash3(i);
    prev_[i & (kRing - 1)] = head_[h];
    head_[h] = int32_t(i);
  }

 private:
  static constexpr size_t kHashSize = size_t(1) << 16;
  static constexpr size_t kRing = kMaxDistance * 2;  // positions kept per chain slot

  uint32_t pair(size_t i) const { return uint32_t(data_[i]) << 8 | data_[i + 1]; }
  uint32_t hash3(size_t i) const {
    const uint32_t v = uint32_t(data_[i]) | uint32_t(data_[i + 1]) << 8 | uint32_t(data_[i + 2]) << 16;
    return (v * 2654435761u) >> 16;
  }

  static size_t matchLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
      uint64_t x, y;
      std::memcpy(&x, a + n, 8);
      std::memcpy(&y, b + n, 8);
      if (x != y) return n + size_t(std::countr_zero(x ^ y) / 8);
      n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
  }

  // Keeps the candidate (`len` bytes matching `distance` back) if it saves more than the best.
  static void consider(Found& best, size_t distance, size_t len) {
    if (distance > kMaxDistance) return;
    const MatchItem item = itemFor(distance, len);
    const long saved = savedBits(item);
    if (saved > best.saved) best = {distance, item, saved};
  }

  std::span<const uint8_t> data_;
  int depth_;
  std::vector<int32_t> head_, prev_, last2_;
};

}  // namespace

std::vector<uint8_t> lzEncode(std::span<const uint8_t> data, int chainDepth) {
  std::vector<uint8_t> out;
  out.reserve(data.size() / 2 + 64);
  LzWriter writer(out);
  MatchFinder finder(data, chainDepth);
  size_t literalsFrom = 0, i = 0;
  MatchFinder::Found next;
  bool haveNext = false;
  while (i < data.size()) {
    const MatchFinder::Found here = haveNext ? next : finder.best(i);
    finder.insert(i);
    haveNext = false;
    if (here.saved <= 0) {
      ++i;
      continue;
    }
    // One step of lazy matching: a clearly better item one byte on wins over this one.
    if (i + 1 < data.size()) {
      next = finder.best(i + 1);
      haveNext = true;
      if (next.saved > here.saved + 9) {
        ++i;
        continue;
      }
    }
    writer.literals(data.data() + literalsFrom, i - literalsFrom);
    writer.match(here.distance, here.item);
    for (size_t k = i + 1; k < i + here.item.length; ++k) finder.insert(k);
    i += here.item.length;
    literalsFrom = i;
    haveNext = false;
  }
  writer.literals(data.data() + literalsFrom, data.size() - literalsFrom);
  writer.finish();
  return out;
}

// ---- The run-length and delta stages ---------------------------------------------------------

namespace {

constexpr size_t kMaxRunCount = 8192;
constexpr size_t kMaxLiteralRecord = 128;

// How many times the `unit` bytes at i repeat from i on (at least 1).
size_t repeats(std::span<const uint8_t> data, size_t i, size_t unit) {
  size_t count = 1;
  while (count < kMaxRunCount && i + (count + 1) * unit <= data.size() &&
         std::memcmp(data.data() + i + count * unit, data.data() + i, unit) == 0)
    ++count;
  return count;
}

void literalRecords(std::vector<uint8_t>& out, const uint8_t* p, size_t n) {
  while (n > 0) {
    const size_t k = std::min(n, kMaxLiteralRecord);
    out.push_back(uint8_t(k - 1));
    out.insert(out.end(), p, p + k);
    p += k;
    n -= k;
  }
}

}  // namespace

std::vector<uint8_t> runLengthEncode(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + data.size() / 64 + 16);
  size_t literalsFrom = 0, i = 0;
  while (i < data.size()) {
    // The unit whose run saves most; a run must save at least 2 bytes, since the literal it
    // interrupts needs a new record header after it.
    size_t bestUnit = 0, bestCount = 0;
    long bestGain = 1;
    for (size_t unit = 1; unit <= 4 && i + unit <= data.size(); ++unit) {
      const size_t count = repeats(data, i, unit);
      const long gain = long(count * unit) - long(2 + unit);
      if (gain > bestGain) {
        bestGain = gain;
        bestUnit = unit;
        bestCount = count;
      }
    }
    if (!bestUnit) {
      ++i;
      continue;
    }
    literalRecords(out, data.data() + literalsFrom, i - literalsFrom);
    const size_t c = bestCount - 1;
    out.push_back(uint8_t(0x80 | ((bestUnit - 1) << 5) | (c >> 8)));
    out.push_back(uint8_t(c & 0xFF));
    out.insert(out.end(), data.data() + i, data.data() + i + bestUnit);
    i += bestUnit * bestCount;
    literalsFrom = i;
  }
  literalRecords(out, data.data() + literalsFrom, data.size() - literalsFrom);
  return out;
}

void deltaEncode(std::span<uint8_t> pixels) {
  // From the end, so that each byte is taken against the original byte 3 before it.
  for (size_t k = pixels.size(); k-- > 3;) pixels[k] = uint8_t(pixels[k] - pixels[k - 3]);
}

// ---- Choosing the stages ---------------------------------------------------------------------

namespace {

std::vector<uint8_t> entryFor(const Surface& picture, bool delta, bool runLength,
                              int chainDepth) {
  std::vector<uint8_t> pixels = picture.pixels;
  if (delta) deltaEncode(pixels);
  std::vector<uint8_t> runs;
  if (runLength) runs = runLengthEncode(pixels);
  const std::vector<uint8_t> lz = lzEncode(runLength ? runs : pixels, chainDepth);
  PictureHeader h;
  h.flags = uint8_t((delta ? kPictureDeltaFlag : 0) | (runLength ? kPictureRunLengthFlag : 0));
  h.lzSize = int32_t(lz.size());
  h.runLengthSize = runLength ? int32_t(runs.size()) : 0;
  h.width = uint16_t(picture.width);
  h.height = uint16_t(picture.height);
  ByteWriter w;
  writePictureHeader(w, h);
  w.bytes(lz);
  return w.take();
}

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

}  // namespace

bool encodePicture(const Surface& picture, std::vector<uint8_t>& out, std::string* error,
                   const PictureEncodeOptions& options) {
  const std::string size = std::to_string(picture.width) + "x" + std::to_string(picture.height);
  if (picture.width < 1 || picture.height < 1) return fail(error, "a " + size + " picture is empty");
  if (picture.width > 65535 || picture.height > 65535)
    return fail(error, "a " + size + " picture is wider or taller than 65535 pixels");
  const size_t bytes = size_t(picture.width) * size_t(picture.height) * 3;
  if (bytes > kMaxPictureBytes) return fail(error, "a " + size + " picture is too large");
  if (picture.pixels.size() != bytes)
    return fail(error, "the " + size + " picture holds " + std::to_string(picture.pixels.size()) +
                           " bytes, not " + std::to_string(bytes));
  const int depth = options.chainDepth;
  switch (options.stages) {
    case PictureStages::Lz: out = entryFor(picture, false, false, depth); return true;
    case PictureStages::RunLength: out = entryFor(picture, false, true, depth); return true;
    case PictureStages::Delta: out = entryFor(picture, true, false, depth); return true;
    case PictureStages::DeltaRunLength: out = entryFor(picture, true, true, depth); return true;
    case PictureStages::Smallest: break;
  }
  out = entryFor(picture, false, false, depth);
  for (auto [delta, runLength] : {std::pair{false, true}, {true, false}, {true, true}}) {
    std::vector<uint8_t> candidate = entryFor(picture, delta, runLength, depth);
    if (candidate.size() < out.size()) out = std::move(candidate);
  }
  return true;
}

}  // namespace corvid
