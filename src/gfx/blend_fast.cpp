// Vector versions of the blend kernels: SSE2 (every x86-64 processor) and AVX2 (chosen at run
// time when the processor has it). They give exactly the bytes of the plain kernels: the
// products fit 16-bit lanes for the weights 0..256, and any other weight falls back to the
// plain kernel. Bytes past the last whole vector go through the narrower set.

#include <cstdint>

#include "gfx/blend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CORVID_BLEND_X86 1
#endif

namespace corvid {

#ifdef CORVID_BLEND_X86

namespace {

const BlendKernels& plain() { return referenceBlendKernels(); }

bool weightFits16(int w) { return w >= 0 && w <= 256; }

// ---- SSE2 ------------------------------------------------------------------------------------

__m128i load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store16(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// (a * w + b * (256 - w)) >> 8 for 16 bytes, written as b + floor((a - b) * w / 256) so that
// one multiply serves: (a - b) * 128 and 2w fit 16 bits, and the high half of their product
// is (a - b) * w / 256, floored. `w2` holds 2w.
__m128i mixHalf(__m128i a16, __m128i b16, __m128i w2) {
  const __m128i d = _mm_slli_epi16(_mm_sub_epi16(a16, b16), 7);
  return _mm_add_epi16(b16, _mm_mulhi_epi16(d, w2));
}

__m128i mix16(__m128i a, __m128i b, __m128i w2) {
  const __m128i z = _mm_setzero_si128();
  const __m128i lo = mixHalf(_mm_unpacklo_epi8(a, z), _mm_unpacklo_epi8(b, z), w2);
  const __m128i hi = mixHalf(_mm_unpackhi_epi8(a, z), _mm_unpackhi_epi8(b, z), w2);
  return _mm_packus_epi16(lo, hi);
}

// floor(a * (255 - m) / 256) + floor(b * m / 256) for 16 bytes. Putting a byte in the high half
// of a lane (x * 256) and taking the high half of the product gives the floor without a shift.
__m128i maskBlend16(__m128i a, __m128i b, __m128i m) {
  const __m128i z = _mm_setzero_si128();
  const __m128i inv = _mm_xor_si128(m, _mm_set1_epi8(-1));  // 255 - m
  __m128i lo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(z, a), _mm_unpacklo_epi8(inv, z)),
                             _mm_mulhi_epu16(_mm_unpacklo_epi8(z, b), _mm_unpacklo_epi8(m, z)));
  __m128i hi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(z, a), _mm_unpackhi_epi8(inv, z)),
                             _mm_mulhi_epu16(_mm_unpackhi_epi8(z, b), _mm_unpackhi_epi8(m, z)));
  return _mm_packus_epi16(lo, hi);
}

void mixSse2(const uint8_t* a, const uint8_t* b, size_t n, int w, uint8_t* out) {
  if (!weightFits16(w)) return plain().mix(a, b, n, w, out);
  const __m128i w2 = _mm_set1_epi16(int16_t(2 * w));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store16(out + i, mix16(load16(a + i), load16(b + i), w2));
  plain().mix(a + i, b + i, n - i, w, out + i);
}

void maskGroupsSse2(const uint8_t* base, const uint8_t* image, const uint8_t* mask,
                    size_t groups, uint8_t* out) {
  const __m128i z = _mm_setzero_si128();
  size_t g = 0;
  for (; g + 2 <= groups; g += 2) {
    const size_t i = g * 8;
    const __m128i m = load16(mask + i);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(m, z)) == 0xFFFF) {
      if (out != base) store16(out + i, load16(base + i));
      continue;
    }
    const __m128i b = load16(base + i);
    const __m128i blended = maskBlend16(b, load16(image + i), m);
    // A group of 8 clear mask bytes keeps its base bytes exactly.
    const __m128i clear32 = _mm_cmpeq_epi32(m, z);
    const __m128i clear64 = _mm_and_si128(clear32, _mm_shuffle_epi32(clear32, 0xB1));
    store16(out + i, _mm_or_si128(_mm_and_si128(clear64, b), _mm_andnot_si128(clear64, blended)));
  }
  plain().maskGroups(base + g * 8, image + g * 8, mask + g * 8, groups - g, out + g * 8);
}

void throughMaskSse2(const uint8_t* a, const uint8_t* b, const uint8_t* mask, size_t n,
                     uint8_t* out) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16)
    store16(out + i, maskBlend16(load16(a + i), load16(b + i), load16(mask + i)));
  plain().throughMask(a + i, b + i, mask + i, n - i, out + i);
}

void scaleSse2(const uint8_t* src, size_t n, int w, uint8_t* out) {
  if (!weightFits16(w)) return plain().scale(src, n, w, out);
  const __m128i z = _mm_setzero_si128(), vw = _mm_set1_epi16(int16_t(w));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i s = load16(src + i);
    __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, z), vw), 8);
    __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, z), vw), 8);
    store16(out + i, _mm_packus_epi16(lo, hi));
  }
  plain().scale(src + i, n - i, w, out + i);
}

void addSatSse2(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* out) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store16(out + i, _mm_adds_epu8(load16(a + i), load16(b + i)));
  plain().addSat(a + i, b + i, n - i, out + i);
}

void addConstSse2(const uint8_t* src, size_t n, int c, uint8_t* out) {
  const __m128i vc = _mm_set1_epi8(int8_t(uint8_t(c)));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store16(out + i, _mm_adds_epu8(load16(src + i), vc));
  plain().addConst(src + i, n - i, c, out + i);
}

void subConstSse2(const uint8_t* src, size_t n, int c, uint8_t* out) {
  const __m128i vc = _mm_set1_epi8(int8_t(uint8_t(c)));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store16(out + i, _mm_subs_epu8(load16(src + i), vc));
  plain().subConst(src + i, n - i, c, out + i);
}

// ---- AVX2 ------------------------------------------------------------------------------------

#define CORVID_AVX2 __attribute__((target("avx2")))

CORVID_AVX2 __m256i load32(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
CORVID_AVX2 void store32(uint8_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// The unpacks and the pack work within each 128-bit half, so the byte order is kept.
CORVID_AVX2 __m256i mixHalf32(__m256i a16, __m256i b16, __m256i w2) {
  const __m256i d = _mm256_slli_epi16(_mm256_sub_epi16(a16, b16), 7);
  return _mm256_add_epi16(b16, _mm256_mulhi_epi16(d, w2));
}

CORVID_AVX2 __m256i mix32(__m256i a, __m256i b, __m256i w2) {
  const __m256i z = _mm256_setzero_si256();
  const __m256i lo = mixHalf32(_mm256_unpacklo_epi8(a, z), _mm256_unpacklo_epi8(b, z), w2);
  const __m256i hi = mixHalf32(_mm256_unpackhi_epi8(a, z), _mm256_unpackhi_epi8(b, z), w2);
  return _mm256_packus_epi16(lo, hi);
}

CORVID_AVX2 __m256i maskBlend32(__m256i a, __m256i b, __m256i m) {
  const __m256i z = _mm256_setzero_si256();
  const __m256i inv = _mm256_xor_si256(m, _mm256_set1_epi8(-1));
  __m256i lo = _mm256_add_epi16(
      _mm256_mulhi_epu16(_mm256_unpacklo_epi8(z, a), _mm256_unpacklo_epi8(inv, z)),
      _mm256_mulhi_epu16(_mm256_unpacklo_epi8(z, b), _mm256_unpacklo_epi8(m, z)));
  __m256i hi = _mm256_add_epi16(
      _mm256_mulhi_epu16(_mm256_unpackhi_epi8(z, a), _mm256_unpackhi_epi8(inv, z)),
      _mm256_mulhi_epu16(_mm256_unpackhi_epi8(z, b), _mm256_unpackhi_epi8(m, z)));
  return _mm256_packus_epi16(lo, hi);
}

CORVID_AVX2 void mixAvx2(const uint8_t* a, const uint8_t* b, size_t n, int w, uint8_t* out) {
  if (!weightFits16(w)) return plain().mix(a, b, n, w, out);
  const __m256i w2 = _mm256_set1_epi16(int16_t(2 * w));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) store32(out + i, mix32(load32(a + i), load32(b + i), w2));
  mixSse2(a + i, b + i, n - i, w, out + i);
}

CORVID_AVX2 void maskGroupsAvx2(const uint8_t* base, const uint8_t* image, const uint8_t* mask,
                                size_t groups, uint8_t* out) {
  const __m256i z = _mm256_setzero_si256();
  size_t g = 0;
  for (; g + 4 <= groups; g += 4) {
    const size_t i = g * 8;
    const __m256i m = load32(mask + i);
    if (_mm256_testz_si256(m, m)) {
      if (out != base) store32(out + i, load32(base + i));
      continue;
    }
    const __m256i b = load32(base + i);
    const __m256i blended = maskBlend32(b, load32(image + i), m);
    const __m256i clear64 = _mm256_cmpeq_epi64(m, z);
    store32(out + i, _mm256_blendv_epi8(blended, b, clear64));
  }
  maskGroupsSse2(base + g * 8, image + g * 8, mask + g * 8, groups - g, out + g * 8);
}

CORVID_AVX2 void throughMaskAvx2(const uint8_t* a, const uint8_t* b, const uint8_t* mask,
                                 size_t n, uint8_t* out) {
  size_t i = 0;
  for (; i + 32 <= n; i += 32)
    store32(out + i, maskBlend32(load32(a + i), load32(b + i), load32(mask + i)));
  throughMaskSse2(a + i, b + i, mask + i, n - i, out + i);
}

CORVID_AVX2 void scaleAvx2(const uint8_t* src, size_t n, int w, uint8_t* out) {
  if (!weightFits16(w)) return plain().scale(src, n, w, out);
  const __m256i z = _mm256_setzero_si256(), vw = _mm256_set1_epi16(int16_t(w));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i s = load32(src + i);
    __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, z), vw), 8);
    __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, z), vw), 8);
    store32(out + i, _mm256_packus_epi16(lo, hi));
  }
  scaleSse2(src + i, n - i, w, out + i);
}

CORVID_AVX2 void addSatAvx2(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* out) {
  size_t i = 0;
  for (; i + 32 <= n; i += 32) store32(out + i, _mm256_adds_epu8(load32(a + i), load32(b + i)));
  addSatSse2(a + i, b + i, n - i, out + i);
}

CORVID_AVX2 void addConstAvx2(const uint8_t* src, size_t n, int c, uint8_t* out) {
  const __m256i vc = _mm256_set1_epi8(int8_t(uint8_t(c)));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) store32(out + i, _mm256_adds_epu8(load32(src + i), vc));
  addConstSse2(src + i, n - i, c, out + i);
}

CORVID_AVX2 void subConstAvx2(const uint8_t* src, size_t n, int c, uint8_t* out) {
  const __m256i vc = _mm256_set1_epi8(int8_t(uint8_t(c)));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) store32(out + i, _mm256_subs_epu8(load32(src + i), vc));
  subConstSse2(src + i, n - i, c, out + i);
}

bool processorHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace

const BlendKernels& sse2BlendKernels() {
  static const BlendKernels kernels{"sse2",    mixSse2,    maskGroupsSse2, throughMaskSse2,
                                    scaleSse2, addSatSse2, addConstSse2,   subConstSse2};
  return kernels;
}

const BlendKernels* avx2BlendKernels() {
  static const BlendKernels kernels{"avx2",    mixAvx2,    maskGroupsAvx2, throughMaskAvx2,
                                    scaleAvx2, addSatAvx2, addConstAvx2,   subConstAvx2};
  static const bool available = processorHasAvx2();
  return available ? &kernels : nullptr;
}

#else  // not x86: the plain kernels are the only set

const BlendKernels& sse2BlendKernels() { return referenceBlendKernels(); }
const BlendKernels* avx2BlendKernels() { return nullptr; }

#endif

const BlendKernels& blendKernels() {
  static const BlendKernels& chosen = avx2BlendKernels() ? *avx2BlendKernels() : sse2BlendKernels();
  return chosen;
}

}  // namespace corvid
