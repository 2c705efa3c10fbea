#include "protocol/ReplyDecoder.h"

#include "protocol/BoxParameters.h"

#include <cstring>

namespace {

constexpr uint32_t kNumber(uint8_t command)
{
    return FrameNumber(command);
}

// Texts added to the GetZone line for record offsets 0-7, and whether the
// number is zero-padded.
struct ZoneFieldText {
    std::string_view before;
    std::string_view after;
    bool zeroPad;
};
constexpr ZoneFieldText kZoneFieldTexts[ZoneRecord::kFieldCount] = {
    {"lo_key ", " ", true},        {"hi_key ", " ", true},       {"lo_note ", " ", true},
    {"midi_chan ", "", false},     {" atk_vel ", " ", false},    {"rel_vel ", " ", false},
    {" atk_type ", " ", false},    {" aftrtch_type ", " ", false},
};

} // namespace

CReplyDecoder::CReplyDecoder(CaptureRings& rings, HeldValues& held, ReportOptions& options, IReplySink& sink)
    : m_rings(rings), m_held(held), m_options(options), m_sink(sink), m_reports(sink)
{
    // Losses from before this decoder existed are not ours to report twice.
    m_lostBytesSeen = m_rings.sysex.LostBytes();
    m_lostEventsSeen = m_rings.events.LostEvents();
}

void CReplyDecoder::Run()
{
    ReportLosses();
    DrainSysEx();
    DrainEvents();
    m_sink.PassEnded();
}

void CReplyDecoder::Line(std::string_view text)
{
    m_line.Clear();
    m_line.Text(text);
    AppendLine();
}

void CReplyDecoder::AppendLine()
{
    m_sink.AppendLine(m_line.View());
    m_line.Clear();
}

void CReplyDecoder::ShortFrame(const FrameView& frame)
{
    AppendShortFrameLine(m_line, m_sink, frame);
    m_line.Clear();
}

void CReplyDecoder::ReportLosses()
{
    // The writer drops whole messages and events when a ring is full and
    // only counts them; one line per pass tells how much went missing.
    const uint32_t lostBytes = m_rings.sysex.LostBytes();
    const uint32_t lostEvents = m_rings.events.LostEvents();
    if (lostBytes == m_lostBytesSeen && lostEvents == m_lostEventsSeen)
        return;
    m_line.Clear();
    m_line.Text("MIDI input overrun: ").Dec(lostBytes - m_lostBytesSeen).Text(" SysEx bytes and ");
    m_line.Dec(lostEvents - m_lostEventsSeen).Text(" events lost");
    AppendLine();
    m_lostBytesSeen = lostBytes;
    m_lostEventsSeen = lostEvents;
}

void CReplyDecoder::DrainSysEx()
{
    SysExByteRing& ring = m_rings.sysex;
    for (uint32_t unread = ring.Unread(); unread != 0; unread = ring.Unread()) {
        const uint32_t first = ring.readCount.load(std::memory_order_relaxed);
        for (uint32_t k = 0; k < unread; ++k) {
            const uint8_t byte = ring.ByteAt(first + k);
            if (m_overlongBytes == 0 && m_frameLength < kMaxFrameBytes)
                m_frame[m_frameLength++] = byte;
            else
                ++m_overlongBytes;
            if (byte == kEndOfExclusive)
                EndFrame();
        }
        ring.Advance(unread);
    }
}

void CReplyDecoder::EndFrame()
{
    if (m_overlongBytes != 0) {
        m_line.Clear();
        m_line.Text("sysex frame ").Hex(FrameView{m_frame, m_frameLength}.Number(), 6, false).Text(" too long (");
        m_line.Dec(static_cast<int64_t>(m_frameLength + m_overlongBytes)).Text(" bytes), dropped");
        AppendLine();
    } else {
        Dispatch(FrameView{m_frame, m_frameLength});
    }
    m_frameLength = 0;
    m_overlongBytes = 0;
}

void CReplyDecoder::Dispatch(const FrameView& frame)
{
    const uint32_t number = frame.Number();
    switch (number) {
    case kNumber(CMD_TEXT_CHARACTER):
        TextCharacter(frame);
        break;
    case kNumber(CMD_TEXT_STRING):
        TextString(frame);
        break;
    case kNumber(CMD_8BIT_CHARACTER):
        Line("ascii 8 bit one char per command");
        break;
    case kNumber(CMD_8BIT_TEXT_STRING):
        EightBitTextString(frame);
        break;
    case kNumber(CMD_SCAN_DUMP_DATA):
        m_reports.ScanDump(frame);
        m_sink.ScanDumpReported();
        break;
    case kNumber(CMD_REVISION_ACKNOWLEDGE):
        Line("revision request");
        m_held.IdentificationPending = true;
        break;
    case kNumber(CMD_EEPROM_ECHO_TEST):
        Line("eeprom echo test no argument");
        break;
    case kNumber(CMD_EEPROM_DUMP):
        Line("eeprom dump no argument");
        break;
    case kNumber(CMD_EEPROM_PEEK_REQUEST):
        if (!frame.HasBody(4)) {
            ShortFrame(frame);
            break;
        }
        m_line.Clear();
        m_line.Text("EEPROM PEEK request length ").Hex(frame.Nibbles(FrameView::kBodyStart, 4), 4, false, true);
        m_line.Char(' ');
        AppendLine();
        break;
    case kNumber(CMD_EEPROM_PEEK_ACKNOWLEDGE):
        if (m_reports.PeekAcknowledge(frame, m_options))
            m_sink.SmartDumpReported();
        break;
    case kNumber(CMD_EEPROM_POKE_REQUEST):
        m_reports.PokeRequest(frame);
        break;
    case kNumber(CMD_EEPROM_POKE_ACKNOWLEDGE):
        m_reports.PokeAcknowledge(frame);
        break;
    case kNumber(CMD_SET_PARAMETER):
        ParameterReport(frame, true);
        break;
    case kNumber(CMD_INQUIRE_PARAMETER):
        ParameterReport(frame, false);
        break;
    case kNumber(CMD_ACCESS_XTABLE):
        m_line.Clear();
        m_line.Text("ACCESS XTABLE Request Ignored raw packet ").Hex(number, 6, false).Char(' ');
        AppendLine();
        break;
    case kNumber(CMD_FIELD_OPERATION):
        FieldOperation(frame);
        break;
    default:
        m_line.Clear();
        m_line.Text("unimplemented or undefined marrowvale/midi tessel sysex number ").Hex(number, 6, false);
        AppendLine();
        break;
    }
}

void CReplyDecoder::TextCharacter(const FrameView& frame)
{
    if (!frame.HasBody(1)) {
        ShortFrame(frame);
        return;
    }
    const char c = static_cast<char>(frame.Body(0));
    if (c != '\n') {
        // Characters beyond the text line's capacity are dropped until its end.
        m_textLine.Char(c);
        return;
    }
    std::string_view text = m_textLine.View();
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    m_sink.AppendLine(text);
    m_textLine.Clear();
}

void CReplyDecoder::ShowText(std::string_view text, bool appendAlways)
{
    // The texts are zero-terminated in the box's own terms: a 00 ends them.
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    const bool identification = m_held.IdentificationPending;
    if (identification) {
        m_held.IdentificationPending = false;
        m_sink.IdentificationText(text.substr(0, kMaxIdentificationChars));
    }
    if (!identification || appendAlways)
        m_sink.AppendLine(text.substr(0, kMaxLineChars));
}

void CReplyDecoder::TextString(const FrameView& frame)
{
    const auto* body = reinterpret_cast<const char*>(frame.bytes + FrameView::kBodyStart);
    ShowText(std::string_view(body, static_cast<size_t>(frame.BodyLength())), false);
}

void CReplyDecoder::EightBitTextString(const FrameView& frame)
{
    // Two nibbles per character, low first; an odd last nibble pairs with
    // the F7. The last two characters (the box's line end) are dropped.
    const int32_t decoded = (frame.BodyLength() + 1) / 2;
    m_line.Clear();
    for (int32_t i = 0; i < decoded - 2; ++i) {
        const int32_t pos = FrameView::kBodyStart + 2 * i;
        m_line.Char(static_cast<char>((frame.bytes[pos] & 0x0F) | ((frame.bytes[pos + 1] << 4) & 0xF0)));
    }
    ShowText(m_line.View(), true);
    m_line.Clear();
}

void CReplyDecoder::ParameterReport(const FrameView& frame, bool setParameter)
{
    if (!frame.HasBody(4)) {
        // Too short to carry both number and value: shown, but takes no effect.
        ShortFrame(frame);
        return;
    }
    const int32_t number = (frame.Body(0) & 0x7F) | ((frame.Body(1) & 0x7F) << 7);
    const int32_t value = (frame.Body(2) & 0x7F) | ((frame.Body(3) & 0x7F) << 7);
    m_line.Clear();
    if (setParameter)
        m_line.Text("43  parameter#: ").Dec(number, 3, true).Text(" value ").Dec(value, 3, true).Char(' ');
    else
        m_line.Text("44 parameter#: ").Dec(number, 3, true).Text(" value: ").Dec(value, 3, true).Char(' ');
    for (int32_t i = 4; i < frame.BodyLength() && frame.Body(i) != 0x00; ++i)
        m_line.Char(static_cast<char>(frame.Body(i)));
    AppendLine();
    if (setParameter) {
        ParameterEffect(number, value);
        m_sink.ParameterReported(number, value);
    }
}

void CReplyDecoder::ParameterEffect(int32_t number, int32_t value)
{
    const BoxParameter* parameter = FindBoxParameter(number);
    if (!parameter)
        return;
    switch (parameter->held) {
    case HeldIn::Xtable:
        m_held.XtableValues[static_cast<size_t>(number)] = value;
        break;
    case HeldIn::MuteBits:
        m_held.MuteBits = value;
        break;
    case HeldIn::AotBooleans:
        m_held.HeldAotBooleans = value & 0xFF;
        break;
    case HeldIn::AotDelay:
        m_held.HeldAotDelay = value & 0xFF;
        break;
    case HeldIn::Nowhere:
        break;
    }
}

void CReplyDecoder::FieldOperation(const FrameView& frame)
{
    if (!frame.HasBody(1)) {
        ShortFrame(frame);
        return;
    }
    switch (frame.Body(0)) {
    case OP_GET_ZONE:
        GetZone(frame);
        break;
    case OP_SET_SPLIT:
        SetSplit(frame);
        break;
    case OP_DUMP_ACKNOWLEDGE:
        m_reports.KeyMaps(frame);
        break;
    default:
        // Echoes of writes and failed dump requests carry nothing to show.
        break;
    }
}

void CReplyDecoder::GetZone(const FrameView& frame)
{
    if (!frame.HasBody(4)) {
        ShortFrame(frame);
        return;
    }
    const int32_t field = frame.Body(1);
    const int32_t start = frame.Body(2);
    const int32_t length = frame.Body(3) == 0 ? 128 : frame.Body(3);
    const bool known = field < HeldValues::kZoneCount;

    m_line.Clear();
    m_line.Text("GetZone").Hex(static_cast<uint32_t>(field + 1), 1, false).Text("  ");
    for (int32_t j = 0; j < length && 4 + j < frame.BodyLength(); ++j) {
        const int32_t offset = start + j;
        if (offset >= ZoneRecord::kFieldCount)
            break;
        const uint8_t byte = frame.Body(4 + j);
        const ZoneFieldText& t = kZoneFieldTexts[offset];
        m_line.Text(t.before).Dec(byte, 3, t.zeroPad).Text(t.after);
        if (known)
            m_held.Zones[static_cast<size_t>(field)].Field(offset) = byte;
    }
    AppendLine();
    if (known)
        m_sink.ZoneRead(field);
}

void CReplyDecoder::SetSplit(const FrameView& frame)
{
    if (!frame.HasBody(5)) {
        // No split to store: the zone's Set Zone button stays pressed.
        ShortFrame(frame);
        return;
    }
    const int32_t field = frame.Body(1);
    const int32_t lowKey = frame.Body(2);
    const int32_t highKey = frame.Body(3);
    const int32_t lowNote = frame.Body(4);
    m_line.Clear();
    m_line.Text("Set Split ").Dec(field, 1).Text(" Done low_key ").Dec(lowKey, 3).Text(" high_key ").Dec(highKey, 3);
    m_line.Text(" low_note ").Dec(lowNote, 3);
    AppendLine();
    if (field < 1 || field > HeldValues::kZoneCount)
        return;
    const int zone = field - 1;
    ZoneRecord& record = m_held.Zones[static_cast<size_t>(zone)];
    record.lo_key = lowKey;
    record.hi_key = highKey;
    record.lo_note = lowNote;
    m_sink.SplitDone(zone);
}

void CReplyDecoder::DrainEvents()
{
    MidiEventRing& ring = m_rings.events;
    while (ring.Unread() != 0) {
        const uint32_t count = ring.readCount.load(std::memory_order_relaxed);
        const MidiEventSlot& slot = ring.SlotAt(count);
        // The slot is read completely before it is handed back to the writer.
        switch (slot.kind) {
        case MIM_ERROR:
            m_suspect = true;
            m_line.Clear();
            m_line.Text(" BAD BAD BAD BAD MIDI ERROR #").Dec(m_errorCount, 3, true);
            AppendLine();
            m_errorCount = static_cast<int32_t>(static_cast<uint32_t>(m_errorCount) + 1);
            break;
        case MIM_DATA: {
            if (m_suspect) {
                m_suspect = false;
                Line(" SUSPECTED BAD Midi PACKET repeated below ");
            }
            const uint32_t status = slot.param1 & 0xFF;
            const uint32_t note = (slot.param1 >> 8) & 0xFF;
            const uint32_t velocity = (slot.param1 >> 16) & 0xFF;
            m_sink.ShortMessage(slot.param1,
                                std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(slot.time)));
            if ((status & 0xF0) == 0x90 && velocity != 0) {
                m_line.Clear();
                m_line.Text("Chan ").Dec((status & 0x0F) + 1, 2, true).Text(" NOTE_ON        # ").Dec(note, 3, true);
                m_line.Text(" ,Vel ").Dec(velocity, 3, true).Text(" , ");
                AppendLine();
            }
            break;
        }
        case MIM_LONGDATA:
            if (m_rings.inputResetting.load(std::memory_order_relaxed)) {
                m_line.Clear();
                m_line.Text("sysex Unprepare header function ").Text(std::string_view(slot.text, strnlen(slot.text, sizeof slot.text)));
                AppendLine();
                m_rings.inputResetting.store(false, std::memory_order_relaxed);
            }
            break;
        case MIM_LONGERROR:
            // The driver dropped an incomplete System Exclusive message.
            Line("incomplete sysex message dropped");
            break;
        default:
            break;
        }
        ring.Advance(1);
    }
}
