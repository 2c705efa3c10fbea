#include "protocol/DumpReports.h"

#include <string_view>

namespace {

// PEEK Acknowledge and POKE Request: 5 address nibbles and 4 length nibbles,
// then the data as nibble pairs, low nibble first.
constexpr int32_t kAddressPos = 3;
constexpr int32_t kLengthPos = 8;
constexpr int32_t kDataPos = 12;
constexpr int32_t kHeaderBodyBytes = 9;

// A pair at the frame's end takes the F7 as its high nibble, as the box's
// odd trailing nibble always has.
uint8_t LowFirstPair(const FrameView& f, int32_t pos)
{
    return static_cast<uint8_t>((f.bytes[pos] & 0x0F) | ((f.bytes[pos + 1] & 0x0F) << 4));
}

constexpr std::string_view kKeymapFieldNames[] = {
    "Zone Enable Booleans", "Zone 1 Keymap", "Zone 2 Keymap", "Zone 3 Keymap", "Zone 4 Keymap", "Raw Keydown Keymap",
};

} // namespace

void AppendShortFrameLine(CLineBuffer& line, IMessageSink& log, const FrameView& frame)
{
    line.Clear();
    line.Text("short sysex frame ").Hex(frame.Number(), 6, false).Text(" ignored, body");
    for (int32_t i = 0; i < frame.BodyLength() && line.Room() >= 3; ++i)
        line.Char(' ').Hex2(frame.Body(i));
    log.AppendLine(line.View());
}

void CDumpReports::AppendLine()
{
    m_log.AppendLine(m_line.View());
    m_line.Clear();
}

void CDumpReports::ShortFrame(const FrameView& frame)
{
    AppendShortFrameLine(m_line, m_log, frame);
    m_line.Clear();
}

bool CDumpReports::PeekAcknowledge(const FrameView& frame, ReportOptions& options)
{
    if (!frame.HasBody(kHeaderBodyBytes)) {
        // Without address and length this is no acknowledgement; a pending
        // smart report waits for a real one.
        ShortFrame(frame);
        return false;
    }
    const uint32_t address = frame.Nibbles(kAddressPos, 5);
    const uint32_t length = frame.Nibbles(kLengthPos, 4);
    const int32_t end = frame.End();

    // Data beyond the image still shows in the plain dump; it only is not kept.
    for (int32_t i = kDataPos; i < end; i += 2) {
        const int32_t slot = (i - kDataPos) / 2;
        if (slot >= kEepromImageSlots)
            break;
        m_image[static_cast<size_t>(slot)] = LowFirstPair(frame, i);
    }

    if (options.SmartDumpPending) {
        options.SmartDumpPending = false;
        SmartReport(options);
        return true;
    }

    m_line.Clear();
    m_line.Text("EEPROM PEEK Acknowledge address ").Hex(address, 5, true, true).Text(" length ").Hex(length, 4, true, true);
    AppendLine();
    int entries = 0;
    for (int32_t i = kDataPos; i < end; i += 2) {
        m_line.Char(' ').Hex2(LowFirstPair(frame, i));
        if (++entries == 32) {
            AppendLine();
            entries = 0;
        }
    }
    // Appended whatever it holds: a dump of whole lines ends with an empty one.
    AppendLine();
    return false;
}

void CDumpReports::SixSlots(std::string_view label, int32_t firstSlot)
{
    m_line.Text(label);
    for (int32_t k = 0; k < 6; ++k)
        m_line.Char(' ').Hex2(static_cast<uint32_t>(m_image[static_cast<size_t>(firstSlot + k)]));
    AppendLine();
}

void CDumpReports::PerKeyBlock(int32_t firstSlot, int32_t keys)
{
    for (int32_t k = 0; k < keys; ++k) {
        m_line.Hex2(static_cast<uint32_t>(m_image[static_cast<size_t>(firstSlot + k)])).Char(' ');
        if ((k + 1) % 16 == 0)
            m_line.Char('-');
        if ((k + 1) % 32 == 0)
            AppendLine();
    }
    AppendLine();
}

void CDumpReports::SmartReport(const ReportOptions& options)
{
    const int32_t n = options.ScannerKeyCount;
    m_line.Clear();
    if (n < 1 || n > kMaxSmartKeys) {
        // The layout would read past the image; say so instead.
        m_line.Text("Smart Eprom Dump: no layout for ").Dec(n).Text(" scanner keys");
        AppendLine();
        return;
    }
    using namespace EepromLayout;
    auto slot = [this](int32_t i) { return static_cast<int64_t>(m_image[static_cast<size_t>(i)]); };
    auto misc = [&](MiscItem item) { return slot(MiscSlot(n, item)); };

    if (options.ShowXopto) {
        m_line.Text("Smart Eprom Dump");
        AppendLine();
        SixSlots("controller_tab_number", n + kControllerTabNumber);
        SixSlots("controller_offset    ", n + kControllerOffset);
        SixSlots("controller_low_limit ", n + kControllerLowLimit);
        SixSlots("controller_high_limit", n + kControllerHighLimit);
    }
    if (options.ShowKeys) {
        m_line.Text("key rest information");
        AppendLine();
        PerKeyBlock(RestSlot(n, 0), n);
        m_line.Text("key down information");
        AppendLine();
        PerKeyBlock(DownSlot(0), n);
    }
    if (options.ShowMisc) {
        m_line.Text("Misc information");
        AppendLine();
        m_line.Text("midi channel ").Dec(misc(kMidiChannel), 2);
        AppendLine();
        m_line.Text("Number of Keys ").Dec(misc(kNumberOfKeys), 3).Text(" Lowest Key Number ").Dec(misc(kLowestKeyNumber), 2);
        m_line.Text(" Keyboard direction ").Dec(misc(kDirection), 1);
        AppendLine();
        m_line.Text("Stripbreak ").Dec(misc(kStripBreak), 3).Text(" Lowest note on keyboard 2 ").Dec(misc(kLowestNoteKeyboard2), 2);
        m_line.Text(" only used on 122 model now");
        AppendLine();
        m_line.Text("velocity sensitivity ").Hex(static_cast<uint32_t>(misc(kVelocitySensitivity)), 2);
        m_line.Text(" Minimum velocity factor ").Hex(static_cast<uint32_t>(misc(kMinVelocityFactor)), 2);
        AppendLine();
        m_line.Text("Trigger Offset ").Dec(misc(kTriggerOffset), 3).Text(" retrigger Offset ").Dec(misc(kRetriggerOffset), 3);
        AppendLine();
        m_line.Text("Release Senesitivity ").Dec(misc(kReleaseSensitivity), 3).Text(" Noise safety factor ").Dec(misc(kNoiseSafetyFactor), 3);
        AppendLine();
        m_line.Text("conv param hm? ").Dec(misc(kConvParam), 2);
        AppendLine();
    }
}

void CDumpReports::ScanDump(const FrameView& frame)
{
    const int32_t bodyLength = frame.BodyLength();
    const int32_t values = (bodyLength + 1) / 2;
    m_line.Clear();
    m_line.Text("Scan Dump");
    AppendLine();
    int entries = 0;
    for (int32_t k = 0; k < values; ++k) {
        // High nibble first; an odd last nibble pairs with the F7.
        const int32_t pos = FrameView::kBodyStart + 2 * k;
        const uint8_t value = static_cast<uint8_t>(((frame.bytes[pos] & 0x0F) << 4) | (frame.bytes[pos + 1] & 0x0F));
        if (k < kScanSlots)
            m_scan[static_cast<size_t>(k)] = value;
        m_line.Char(' ').Hex2(value);
        if (++entries == 32) {
            AppendLine();
            entries = 0;
        }
    }
    if (entries != 0)
        AppendLine();
}

void CDumpReports::KeyMaps(const FrameView& frame)
{
    if (!frame.HasBody(4)) {
        ShortFrame(frame);
        return;
    }
    const uint8_t field = frame.Body(1);
    const int32_t start = frame.Body(2);
    const int32_t length = frame.Body(3) == 0 ? 128 : frame.Body(3);

    m_line.Clear();
    m_line.Text("KeyMaps dump request acknowledge with data ");
    if (field < std::size(kKeymapFieldNames))
        m_line.Text(kKeymapFieldNames[field]);
    m_line.Char(' ');
    AppendLine();
    m_line.Text(" start address ").Dec(start, 3, true).Text(" length ").Dec(length, 3);
    m_line.Text(" stop address ").Dec(start + length, 3);
    AppendLine();

    // Every data byte the frame holds is shown, whatever the length byte says.
    int column = 0;
    for (int32_t i = FrameView::kBodyStart + 4; i < frame.End(); ++i) {
        if (column % 8 == 0)
            m_line.Text("  ");
        m_line.Char(' ').Hex2(frame.bytes[i]);
        if (++column == 32) {
            AppendLine();
            column = 0;
        }
    }
    if (!m_line.Empty())
        AppendLine();
}

void CDumpReports::PokeRequest(const FrameView& frame)
{
    if (!frame.HasBody(kHeaderBodyBytes)) {
        ShortFrame(frame);
        return;
    }
    m_line.Clear();
    m_line.Text("EEPROM POKE Request address ").Hex(frame.Nibbles(kAddressPos, 5), 5, true, true);
    m_line.Text(" length ").Hex(frame.Nibbles(kLengthPos, 4), 4, true, true);

    // The header and 27 entries fill the line. When more data came, as many
    // entries as leave room for " ..." are shown, so the cut is visible.
    constexpr size_t kEntry = 3;
    constexpr std::string_view kMore = " ...";
    const int32_t end = frame.End();
    const size_t entries = static_cast<size_t>(end - kDataPos + 1) / 2;
    const bool cut = entries * kEntry > m_line.Room();
    const size_t shown = cut ? (m_line.Room() - kMore.size()) / kEntry : entries;
    for (size_t k = 0; k < shown; ++k)
        m_line.Char(' ').Hex(LowFirstPair(frame, kDataPos + 2 * static_cast<int32_t>(k)), 2, false);
    if (cut)
        m_line.Text(kMore);
    AppendLine();
}

void CDumpReports::PokeAcknowledge(const FrameView& frame)
{
    if (!frame.HasBody(4)) {
        ShortFrame(frame);
        return;
    }
    m_line.Clear();
    m_line.Text("EEPROM POKE Acknowledge length ").Hex(frame.Nibbles(FrameView::kBodyStart, 4), 4, false, true);
    AppendLine();
}
