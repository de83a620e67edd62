#include "standins/appserver/wire_frame.h"

#include <algorithm>

#include "platform/data/valuecodec.h"

namespace standin {

using plat::Variant;

std::string EncodeWireValue(const Variant& v) {
    std::string out;
    try {
        plat::codec::PutValue(out, v);
    } catch (const plat::codec::ECodecError& e) {
        throw CodecError(std::string("Cannot encode: ") + e.what());
    }
    return out;
}

Variant DecodeWireValue(const char* data, size_t size) {
    plat::codec::Reader r(data, data + size);
    try {
        Variant v = r.Value();
        if (!r.AtEnd()) plat::codec::Reader::Fail("bytes left over after the value");
        return v;
    } catch (const plat::codec::ECodecError& e) {
        throw CodecError("Malformed frame at byte " + std::to_string(r.p - data) + ": " + e.what());
    }
}

Variant DecodeWireValue(const std::string& bytes) {
    return DecodeWireValue(bytes.data(), bytes.size());
}

std::string EncodeFrame(const Variant& v) {
    std::string payload = EncodeWireValue(v);
    if (payload.size() > kMaxFrameSize)
        throw CodecError("Cannot encode: the value needs more than the largest frame");
    std::string out;
    out.reserve(payload.size() + 4);
    for (int i = 0; i < 4; ++i) out.push_back((char)((payload.size() >> (8 * i)) & 0xff));
    out += payload;
    return out;
}

uint32_t FrameLength(const char header[4], uint32_t limit) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= (uint32_t)(uint8_t)header[i] << (8 * i);
    if (v > limit || v > kMaxFrameSize)
        throw CodecError("Malformed frame: length " + std::to_string(v) + " above the limit of " +
                         std::to_string(std::min(limit, kMaxFrameSize)));
    if (v == 0) throw CodecError("Malformed frame: empty payload");
    return v;
}

}  // namespace standin
