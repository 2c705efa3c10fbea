// A received frame as the decoder and the reports read it: the bytes from F0
// (or whatever came first) up to and including the closing F7.
//
// End(), BodyLength(), HasBody() and Number() never read outside the frame.
// Body() and Nibbles() read where they are told: their callers check first
// (HasBody(), End()) that the bytes lie inside, so that a field the frame is
// too short to carry is absent, never read from whatever lies behind it.
#pragma once

#include <cstdint>

struct FrameView {
    const uint8_t* bytes = nullptr;
    int32_t length = 0;  //!< F7 included

    static constexpr int32_t kBodyStart = 3;

    //! Position of the closing F7.
    int32_t End() const { return length - 1; }

    //! Bytes between the command byte and the F7.
    int32_t BodyLength() const { return length > 4 ? length - 4 : 0; }
    //! Body byte `i`; the caller has checked HasBody(i + 1).
    uint8_t Body(int32_t i) const { return bytes[kBodyStart + i]; }
    bool HasBody(int32_t count) const { return BodyLength() >= count; }

    //! Frame bytes 0-2 as one number (byte 0 on top); missing bytes count as 0.
    uint32_t Number() const
    {
        uint32_t n = 0;
        for (int32_t i = 0; i < 3; ++i)
            n = (n << 8) | (i < length ? bytes[i] : 0u);
        return n;
    }

    //! `count` nibbles from frame position `pos`, least significant first.
    //! The caller has checked that they lie inside the frame.
    uint32_t Nibbles(int32_t pos, int32_t count) const
    {
        uint32_t v = 0;
        for (int32_t i = count - 1; i >= 0; --i)
            v = (v << 4) | (bytes[pos + i] & 0x0Fu);
        return v;
    }
};
