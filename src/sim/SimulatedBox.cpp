#include "sim/SimulatedBox.h"

#include "protocol/BoxParameters.h"
#include "protocol/ProtocolCodes.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t kDefaults[kParameterCount] = {
    1,   203, 0, 0, 0,  0,  15, 0, 0, 0,  0,  0,  88, 36, 36, 61,
    12, 0x20, 4, 16, 64, 3, 3, 8, 8, 10, 10, 200, 0, 0, 0,  0,
};
static_assert(kBoxParameters[ZmFunc_NumberKeys].highest == CBoxEeprom::kMaxKeys);

int ShortTravelKey(int32_t fault)
{
    return fault >= 1 && fault < CSimulatedBox::kFaultStuckBase ? fault - 1 : -1;
}

int StuckKey(int32_t fault)
{
    return fault >= CSimulatedBox::kFaultStuckBase && fault <= 0xFF ? fault - CSimulatedBox::kFaultStuckBase : -1;
}

uint32_t Nibbles(const uint8_t* bytes, int count)
{
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 4) | (bytes[i] & 0x0Fu);
    return v;
}

}  // namespace

//! One outgoing frame, F0 09 <command> … F7; every body byte is kept 7-bit.
class CSimulatedBox::CReply {
public:
    explicit CReply(uint8_t command) : m_bytes{kStartOfExclusive, kIdentifier, command} {}

    CReply& Byte(uint32_t b)
    {
        m_bytes.push_back(static_cast<uint8_t>(b & 0x7F));
        return *this;
    }
    //! Least significant nibble first.
    CReply& Nibbles(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            m_bytes.push_back(static_cast<uint8_t>((value >> (4 * i)) & 0x0F));
        return *this;
    }
    CReply& Text(const std::string& text)
    {
        for (char c : text)
            Byte(static_cast<uint8_t>(c));
        return *this;
    }
    void Send(ISimReplySink& out)
    {
        m_bytes.push_back(kEndOfExclusive);
        out.Reply(m_bytes.data(), m_bytes.size());
    }

private:
    std::vector<uint8_t> m_bytes;
};

CSimulatedBox::CSimulatedBox(uint64_t seed)
    : m_eeprom(seed, kDefaults[ZmFunc_NumberKeys]), m_player(seed ^ 0x706C6179), m_noise(seed ^ 0x6E6F6973)
{
    for (int z = 0; z < kZoneCount; ++z)  // the "Piano" layout
        m_zones[static_cast<size_t>(z)] = {0, 87, 21, static_cast<uint8_t>(z), 14, 0, 0, 0};
    std::copy(std::begin(kDefaults), std::end(kDefaults), m_params.begin());
    WriteParametersToEeprom();
}

int32_t CSimulatedBox::Parameter(int number) const
{
    switch (number) {
    case ZmFunc_EepromFreeB: return m_eeprom.FreeBytes();
    case kParamPlay: return Playing() ? 1 : 0;
    default: return number >= 0 && number < kParameterCount ? m_params[static_cast<size_t>(number)] : -1;
    }
}

std::string CSimulatedBox::IdentificationText() const
{
    const int rev = m_params[ZmFunc_SoftwareRev];
    char text[64];
    std::snprintf(text, sizeof text, "ZM1 key scanner software %d.%02d (simulator)", rev / 100, rev % 100);
    return text;
}

std::string CSimulatedBox::StationName() const
{
    return "ZM1 Station " + std::to_string(m_params[ZmFunc_StationName]);
}

void CSimulatedBox::SetPlaying(bool playing)
{
    if (playing)
        m_player.Start();
    else
        m_player.Stop();
}

SimPlaySetup CSimulatedBox::PlaySetup() const
{
    SimPlaySetup s;
    s.zones = &m_zones;
    s.muteBits = m_params[ZmFunc_ZoneMutBits];
    s.keys = KeyCount();
    s.stuckKey = StuckKey(m_params[kParamFault]);
    s.shortKey = ShortTravelKey(m_params[kParamFault]);
    return s;
}

void CSimulatedBox::Advance(uint64_t micros, ISimReplySink& out)
{
    m_player.Advance(micros, PlaySetup(), out);
}

// ---- tables -------------------------------------------------------------

CSimulatedBox::Table CSimulatedBox::ZoneEnableTable() const
{
    Table t{};
    for (int z = 0; z < kZoneCount; ++z) {
        const SimZoneRecord& zone = m_zones[static_cast<size_t>(z)];
        for (int k = zone[kZoneLoKey]; k <= zone[kZoneHiKey] && k < kTableBytes; ++k)
            t[static_cast<size_t>(k)] |= static_cast<uint8_t>(1 << z);
    }
    return t;
}

CSimulatedBox::Table CSimulatedBox::ZoneKeymap(int zone) const
{
    Table t;
    t.fill(0x7F);
    if (zone < 0 || zone >= kZoneCount)
        return t;
    const SimZoneRecord& z = m_zones[static_cast<size_t>(zone)];
    for (int k = z[kZoneLoKey]; k <= z[kZoneHiKey] && k < kTableBytes; ++k)
        t[static_cast<size_t>(k)] = static_cast<uint8_t>(std::min(z[kZoneLoNote] + k - z[kZoneLoKey], 0x7F));
    return t;
}

CSimulatedBox::Table CSimulatedBox::RawKeydownMap() const
{
    Table t{};
    for (int k = 0; k < kTableBytes; ++k)
        t[static_cast<size_t>(k)] = KeyDown(k) ? 1 : 0;
    return t;
}

uint8_t CSimulatedBox::ReadScanValue(int key)
{
    if (key < 0 || key >= KeyCount())
        return 0;
    const int base = m_eeprom.Byte(KeyDown(key) ? m_eeprom.DownSlot(key) : m_eeprom.RestSlot(key));
    m_noise = m_noise * 6364136223846793005ull + 1442695040888963407ull;
    const int noise = static_cast<int>((m_noise >> 59) % 5) - 2;  // -2 … +2
    return static_cast<uint8_t>(std::clamp(base + noise, 0, 255));
}

// ---- requests -----------------------------------------------------------

void CSimulatedBox::OnMessage(const uint8_t* bytes, size_t count, ISimReplySink& out)
{
    if (!bytes || count < 4 || bytes[0] != kStartOfExclusive || bytes[1] != kIdentifier ||
        bytes[count - 1] != kEndOfExclusive)
        return;
    for (size_t i = 1; i + 1 < count; ++i)
        if (bytes[i] & 0x80)
            return;
    const uint8_t* body = bytes + 3;
    const size_t length = count - 4;

    switch (bytes[2]) {
    case CMD_REVISION_REQUEST: RevisionRequest(out); break;
    case CMD_EEPROM_ECHO_TEST: CReply(CMD_EEPROM_ECHO_TEST).Send(out); break;
    case CMD_EEPROM_DUMP:
        CReply(CMD_EEPROM_DUMP).Send(out);
        SendEepromDump(out);
        break;
    case CMD_SCAN_DUMP_REQUEST: SendScanDump(out); break;
    case CMD_EEPROM_PEEK_REQUEST: PeekEeprom(body, length, out); break;
    case CMD_EEPROM_POKE_REQUEST: PokeEeprom(body, length, out); break;
    case CMD_SET_PARAMETER:
        if (length >= 4)
            SetParameter(body[0] | body[1] << 7, body[2] | body[3] << 7, out);
        break;
    case CMD_INQUIRE_PARAMETER:
        if (length >= 1)
            ReportParameter(body[0], out);
        break;
    case CMD_FIELD_OPERATION: FieldOperation(body, length, out); break;
    default: break;
    }
}

void CSimulatedBox::RevisionRequest(ISimReplySink& out)
{
    CReply(CMD_REVISION_ACKNOWLEDGE).Send(out);
    SendEightBitText(IdentificationText() + "\r\n", out);
}

// ---- parameters ---------------------------------------------------------

bool CSimulatedBox::Refuse(int number, int32_t value, ISimReplySink& out)
{
    if (number >= kParameterCount) {
        SendTextLine("no parameter " + std::to_string(number), out);
        return true;
    }
    const BoxParameter& parameter = kBoxParameters[static_cast<size_t>(number)];
    const std::string name(parameter.name);
    if (parameter.kind == ParameterKind::ReadOnly) {
        SendTextLine(name + " is read-only", out);
        return true;
    }
    if (value < parameter.lowest || value > parameter.highest) {
        SendTextLine(name + " " + std::to_string(value) + " out of range " + std::to_string(parameter.lowest) + "-" +
                         std::to_string(parameter.highest),
                     out);
        return true;
    }
    return false;
}

void CSimulatedBox::SetParameter(int number, int32_t value, ISimReplySink& out)
{
    if (Refuse(number, value, out))
        return;
    bool dump = false;
    switch (number) {
    case ZmFunc_ClearEEprom:
        if (value)
            m_eeprom.ClearCalibration();
        value = 0;
        break;
    case ZmFunc_RestrEEprom:
        if (value) {
            m_eeprom.RestoreFactory();
            ApplyFault(m_params[kParamFault]);
        }
        value = 0;
        break;
    case ZmFunc_DumpEEprom:
        dump = value != 0;
        value = 0;
        break;
    case kParamFault: ApplyFault(value); break;
    case kParamPlay: SetPlaying(value != 0); break;
    case ZmFunc_NumberKeys:
        m_eeprom.Relayout(value);
        break;
    default: break;
    }
    m_params[static_cast<size_t>(number)] = value;
    WriteParametersToEeprom();
    ReportParameter(number, out);
    if (dump)
        SendEepromDump(out);
}

void CSimulatedBox::ReportParameter(int number, ISimReplySink& out)
{
    if (number >= kParameterCount) {
        SendTextLine("no parameter " + std::to_string(number), out);
        return;
    }
    const auto value = static_cast<uint32_t>(Parameter(number));
    CReply(CMD_SET_PARAMETER)
        .Byte(static_cast<uint32_t>(number))
        .Byte(static_cast<uint32_t>(number) >> 7)
        .Byte(value)
        .Byte(value >> 7)
        .Text(std::string(kBoxParameters[static_cast<size_t>(number)].name))
        .Send(out);
    // The program fills its identification box from the next text after
    // asking for the station name.
    if (number == ZmFunc_StationName)
        SendEightBitText(StationName() + "\r\n", out);
}

// Moving the fault gives the previous short-travel key its factory down
// value back and calibrates the new one near its rest value.
void CSimulatedBox::ApplyFault(int32_t fault)
{
    const int oldKey = ShortTravelKey(m_params[kParamFault]);
    if (oldKey >= 0 && oldKey < KeyCount())
        m_eeprom.SetByte(m_eeprom.DownSlot(oldKey), m_eeprom.FactoryDown(oldKey));
    m_params[kParamFault] = fault;
    const int newKey = ShortTravelKey(fault);
    if (newKey >= 0 && newKey < KeyCount()) {
        const int rest = m_eeprom.Byte(m_eeprom.RestSlot(newKey));
        m_eeprom.SetByte(m_eeprom.DownSlot(newKey), static_cast<uint8_t>(std::max(rest - 0x14, 0)));
    }
}

void CSimulatedBox::WriteParametersToEeprom()
{
    for (const BoxParameter& p : kBoxParameters)
        if (p.eeprom)
            m_eeprom.SetMisc(*p.eeprom, static_cast<uint8_t>(m_params[static_cast<size_t>(p.number)]));
    m_params[ZmFunc_NumberKeys] = KeyCount();
}

// The EEPROM is the truth for the linked parameters, but not for the number
// of keys: the layout hangs on it, so only parameter 12 moves it and a
// write over its byte is put back.
void CSimulatedBox::ReadParametersFromEeprom()
{
    for (const BoxParameter& p : kBoxParameters)
        if (p.eeprom)
            m_params[static_cast<size_t>(p.number)] = m_eeprom.Misc(*p.eeprom);
    m_eeprom.SetMisc(CBoxEeprom::kNumberOfKeys, static_cast<uint8_t>(KeyCount()));
}

// ---- field operations ---------------------------------------------------

void CSimulatedBox::FieldOperation(const uint8_t* body, size_t length, ISimReplySink& out)
{
    if (length < 4)
        return;
    const uint8_t op = body[0], field = body[1], start = body[2];
    const int runLength = body[3] == 0 ? 128 : body[3];
    const uint8_t* data = body + 4;
    const int dataCount = static_cast<int>(std::min<size_t>(length - 4, 128));

    switch (op) {
    case OP_SET_ZONE_SPLIT_DATA:
        if (field < kZoneCount)
            for (int j = 0; j < std::min(runLength, dataCount) && start + j < 8; ++j)
                m_zones[field][static_cast<size_t>(start + j)] = data[j] & 0x7F;
        break;
    case OP_GET_ZONE:
        if (field < kZoneCount) {
            // The length goes back as asked; only bytes inside the record follow.
            CReply r(CMD_FIELD_OPERATION);
            r.Byte(op).Byte(field).Byte(start).Byte(body[3]);
            for (int j = 0; j < runLength && start + j < 8; ++j)
                r.Byte(m_zones[field][static_cast<size_t>(start + j)]);
            r.Send(out);
        }
        break;
    case OP_SET_SPLIT:
        if (field >= 1 && field <= kZoneCount) {
            const SimZoneRecord& z = m_zones[field - 1u];
            CReply(CMD_FIELD_OPERATION)
                .Byte(OP_SET_SPLIT)
                .Byte(field)
                .Byte(z[kZoneLoKey])
                .Byte(z[kZoneHiKey])
                .Byte(z[kZoneLoNote])
                .Send(out);
        }
        break;
    case OP_DUMP_REQUEST: {
        Table table{};
        if (field == KEYMAP_ZONE_ENABLE)
            table = ZoneEnableTable();
        else if (field >= KEYMAP_ZONE_1 && field <= KEYMAP_ZONE_4)
            table = ZoneKeymap(field - KEYMAP_ZONE_1);
        else if (field == KEYMAP_RAW_KEYDOWN)
            table = RawKeydownMap();
        else {
            CReply(CMD_FIELD_OPERATION).Byte(OP_DUMP_REQUEST).Byte(field).Byte(0).Byte(0).Byte(0).Send(out);
            break;
        }
        const int n = std::min(runLength, kTableBytes - start);
        CReply r(CMD_FIELD_OPERATION);
        r.Byte(OP_DUMP_ACKNOWLEDGE).Byte(field).Byte(start).Byte(static_cast<uint32_t>(n));
        for (int j = 0; j < n; ++j)
            r.Byte(table[static_cast<size_t>(start + j)]);
        r.Send(out);
        break;
    }
    default: break;  // the fill operations are not modelled
    }
}

// ---- EEPROM and scan ----------------------------------------------------

void CSimulatedBox::SendEepromDump(ISimReplySink& out)
{
    constexpr int kChunk = 256;
    for (int address = 0; address < CBoxEeprom::kBytes; address += kChunk) {
        CReply r(CMD_EEPROM_PEEK_ACKNOWLEDGE);
        r.Nibbles(static_cast<uint32_t>(address), 5).Nibbles(kChunk, 4);
        for (int i = 0; i < kChunk; ++i)
            r.Nibbles(m_eeprom.Byte(address + i), 2);
        r.Send(out);
    }
}

void CSimulatedBox::PeekEeprom(const uint8_t* body, size_t length, ISimReplySink& out)
{
    if (length < 9)
        return;
    const uint32_t address = Nibbles(body, 5);
    const uint32_t asked = Nibbles(body + 5, 4);
    const uint32_t count = address < CBoxEeprom::kBytes ? std::min<uint32_t>(asked, CBoxEeprom::kBytes - address) : 0;
    CReply r(CMD_EEPROM_PEEK_ACKNOWLEDGE);
    r.Nibbles(address, 5).Nibbles(count, 4);
    for (uint32_t i = 0; i < count; ++i)
        r.Nibbles(m_eeprom.Byte(static_cast<int>(address + i)), 2);
    r.Send(out);
}

void CSimulatedBox::PokeEeprom(const uint8_t* body, size_t length, ISimReplySink& out)
{
    if (length < 9)
        return;
    const uint32_t address = Nibbles(body, 5);
    const size_t pairs = (length - 9) / 2;
    uint32_t count = std::min<uint32_t>(Nibbles(body + 5, 4), static_cast<uint32_t>(std::min<size_t>(pairs, 0xFFFF)));
    count = address < CBoxEeprom::kBytes ? std::min<uint32_t>(count, CBoxEeprom::kBytes - address) : 0;
    for (uint32_t i = 0; i < count; ++i)
        m_eeprom.SetByte(static_cast<int>(address + i), static_cast<uint8_t>(Nibbles(body + 9 + 2 * i, 2)));
    ReadParametersFromEeprom();
    CReply(CMD_EEPROM_POKE_ACKNOWLEDGE).Nibbles(count, 4).Send(out);
}

void CSimulatedBox::SendScanDump(ISimReplySink& out)
{
    CReply r(CMD_SCAN_DUMP_DATA);
    for (int k = 0; k < KeyCount(); ++k) {
        const uint8_t v = ReadScanValue(k);
        r.Byte(v >> 4).Byte(v & 0x0F);  // high nibble first, unlike the EEPROM
    }
    r.Send(out);
}

// ---- text ---------------------------------------------------------------

void CSimulatedBox::SendTextLine(const std::string& text, ISimReplySink& out)
{
    for (char c : text)
        CReply(CMD_TEXT_CHARACTER).Byte(static_cast<uint8_t>(c)).Send(out);
    CReply(CMD_TEXT_CHARACTER).Byte('\n').Send(out);
}

void CSimulatedBox::SendEightBitText(const std::string& text, ISimReplySink& out)
{
    CReply r(CMD_8BIT_TEXT_STRING);
    for (char c : text)
        r.Nibbles(static_cast<uint8_t>(c), 2);
    r.Send(out);
}
