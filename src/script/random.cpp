#include "script/random.h"

namespace corvid {

int32_t RandomGenerator::randomValue() {
  seed_ = seed_ * 22695477u + 1u;  // unsigned: wraps modulo 2^32
  return int32_t((seed_ >> 16) & 0x7FFFu);
}

}  // namespace corvid
