#include "PrintingSender.h"

void CPrintingSender::SendSysEx(int32_t count, const uint8_t* bytes)
{
    for (int32_t i = 0; i < count + 2; ++i)
        std::fprintf(m_out, i == 0 ? "%02X" : " %02X", bytes[i]);
    std::fputc('\n', m_out);
}
