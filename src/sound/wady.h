#pragma once
// The WADY sound format: a 48-byte header and code data, in two variants.
//
// Sections: the header; the decoder tables; the packed variant (sound effects); the byte-code
// variant (music and animation sounds); whole files.
//
// Packed: per channel a block of 4 unread bytes, an int32 code count, an int16 first sample
// and the codes; one-byte codes give one sample (a delta or an absolute value), two-byte codes
// a run interpolated towards a target. Byte codes: one byte per sample and channel, channels
// interleaved, each a scaled delta or an absolute value.
//
// Every read goes through the bounds-checked ByteReader; a file whose sizes do not fit its
// buffer, whose channel count is not 1 or 2, or whose codes decode to another size than its
// header says is refused with a message, never read outside its bytes.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvid {

// ---- The header -------------------------------------------------------------------------

inline constexpr size_t kWadyHeaderSize = 48;  // bytes before the code data

struct WaveFormat {
  uint16_t formatTag = 1;  // PCM
  uint16_t channels = 0;
  uint32_t framesPerSecond = 0;
  uint32_t bytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 16;
};

struct WadyHeader {
  uint8_t scale = 0;             // multiplier of the byte-code deltas
  uint16_t channels = 0;         // byte-code variant
  int32_t framesPerSecond = 0;   // byte-code streams
  int32_t codeSize = 0;          // bytes of code data from offset 48 (byte-code streams)
  int32_t frames = 0;            // samples per channel (byte-code whole sounds)
  int32_t pcmSize = 0;           // bytes of decoded PCM
  int32_t loopStart = 0;         // offset of the first loop code from offset 48
  std::array<int16_t, 2> loopStates{};  // decoder states at the loop start
  WaveFormat format;
};

// Reads the 48-byte header. False with `error` when the bytes are too few or the magic is not
// "WADY"; the fields are not checked further here.
bool readWadyHeader(std::span<const uint8_t> bytes, WadyHeader& out, std::string& error);
// Writes the 48-byte header ("WADY", one unread zero byte, then the fields).
std::vector<uint8_t> writeWadyHeader(const WadyHeader& header);

// Byte codes or packed, told apart by the header alone: byte codes when the code size is the
// frame count times the channel count and the PCM size twice that. The encoder writes 0 for
// both fields of a packed file, so no packed file reads as byte codes.
bool isByteCodeHeader(const WadyHeader& header);

// ---- The decoder tables -------------------------------------------------------------------

struct WadyTables {
  std::array<int16_t, 128> byteDelta;   // B: +T1 then -T1
  std::array<int16_t, 64> packedDelta;  // D: +T2 then -T2
  std::array<int, 8> runLength;         // R
};
const WadyTables& wadyTables();

// ---- The packed variant -------------------------------------------------------------------

// Decodes one channel block (starting at its 4 unread bytes) into out[0], out[stride], ...;
// `capacity` is the number of samples this channel may write. Returns the samples written, or
// -1 (with `error`) when the block is cut short or would write past its capacity.
int64_t decodePacked(std::span<const uint8_t> block, int16_t* out, size_t stride, size_t capacity,
                     std::string& error);

// ---- The byte-code variant ----------------------------------------------------------------

// Decodes `frames` frames of interleaved byte codes; `states` are the channels' running values
// and are updated. With `silent` the output is zeros (the states still advance).
void decodeBytes(const uint8_t* codes, int16_t* out, int scale, std::array<int16_t, 2>& states,
                 int channels, size_t frames, bool silent);

// ---- Whole files --------------------------------------------------------------------------

struct DecodedSound {
  int channels = 0;
  int framesPerSecond = 0;
  std::vector<int16_t> samples;  // interleaved, channel 1 first
  bool byteCodes = false;        // the variant that was read
  int32_t loopStartFrame = 0;    // byte codes: the loop start in frames
};

// A packed file (sound effects) into PCM: the wave format's channel count and rate, the PCM
// size of the header. Refused with `error` as described above.
bool decodePackedFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error);
// A byte-code file decoded whole: the header's frames (one pass, no loop) into PCM.
bool decodeByteCodeFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error);
// Either variant, told apart by isByteCodeHeader.
bool decodeWadyFile(std::span<const uint8_t> bytes, DecodedSound& out, std::string& error);

// The checks the byte-code stream player makes on a header before it plays: channels 1 or 2,
// a rate of 1 to 88200 samples per second summed over channels, code data within the entry,
// a whole number of frames, a loop start inside the codes on a frame boundary.
bool checkByteCodeStream(const WadyHeader& header, size_t entrySize, std::string& error);

}  // namespace corvid
