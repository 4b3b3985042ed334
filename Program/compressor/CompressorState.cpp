#include "CompressorState.h"

CompressorState& Compressor() {
  static CompressorState state = {};
  return state;
}
