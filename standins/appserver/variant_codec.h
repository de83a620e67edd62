// Our wire encoding of variants for the application server over TCP.
// A frame is a 4-byte little-endian payload length followed by the payload;
// a payload is one encoded variant. Decoding checks every length and bound
// against the bytes at hand and raises CodecError on anything malformed.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"

namespace standin {

class CodecError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "CodecError"; }
};

// Frames above this size are refused before their payload is read.
constexpr uint32_t kMaxFrameSize = 1u << 30;
// Arrays nested deeper than this are refused.
constexpr int kMaxNesting = 64;
// Values whose arrays hold more elements than this between them are refused:
// an element costs a byte on the wire but a whole variant in memory.
constexpr uint32_t kMaxElements = 1u << 22;

// Raises CodecError for values that cannot travel (a Dispatch object).
std::string EncodeWireValue(const plat::Variant& v);
plat::Variant DecodeWireValue(const std::string& bytes);
plat::Variant DecodeWireValue(const char* data, size_t size);

// Payload with its length prefix.
std::string EncodeFrame(const plat::Variant& v);
// Reads the length prefix of a frame header (4 bytes); raises on a length
// above kMaxFrameSize.
uint32_t FrameLength(const char header[4]);

}  // namespace standin
