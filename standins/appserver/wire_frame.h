// Framing of the application server's TCP connection: a frame is a 4-byte
// little-endian payload length followed by the payload, one value in the
// platform's value encoding (platform/data/valuecodec.h), which checks every
// length, count and bound against the bytes at hand.
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

// The payload of a value; raises CodecError for a value that cannot travel
// (a Dispatch object, arrays beyond the codec's limits).
std::string EncodeWireValue(const plat::Variant& v);
// Raises CodecError on anything but exactly one well-formed value.
plat::Variant DecodeWireValue(const std::string& bytes);
plat::Variant DecodeWireValue(const char* data, size_t size);

// Payload with its length prefix.
std::string EncodeFrame(const plat::Variant& v);
// Reads the length prefix of a frame header (4 bytes); raises on a length
// above `limit` (at most kMaxFrameSize) or of zero.
uint32_t FrameLength(const char header[4], uint32_t limit = kMaxFrameSize);

}  // namespace standin
