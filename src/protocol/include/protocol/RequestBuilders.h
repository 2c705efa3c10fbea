// Request builders: each puts one frame together and hands it to the
// transmitter at once. Nothing waits for, or matches, a reply.
//
// Every body byte that goes out is 7-bit, so no argument can end a frame
// early or smuggle a status byte to the box. The frame lives on the stack
// only until SendSysEx returns. Window thread only.
#pragma once

#include "midi/SysExSender.h"
#include "protocol/BoxParameters.h"
#include "protocol/DumpReports.h"
#include "protocol/HeldValues.h"

#include <array>
#include <cstdint>
#include <span>

//! Revision request, F0 09 1A F7.
void SendRevisionRequest(ISysExSender& sender);
//! EEPROM dump request, F0 09 2A F7.
void SendEepromDumpRequest(ISysExSender& sender);
//! Scan dump request, F0 09 2B F7; the data comes back as Scan Dump data.
void SendScanDumpRequest(ISysExSender& sender);
//! EEPROM echo test, F0 09 27 F7.
void SendEepromEchoTest(ISysExSender& sender);

//! PEEK of 512 bytes from address 0 for the smart dump report; then sets
//! `SmartDumpPending`, which the decoder consumes at the next acknowledgement.
void SendSmartEepromPeek(ISysExSender& sender, ReportOptions& options);

//! Set parameter: F0 09 43 pl ph vl vh F7. Number and value travel as 14-bit
//! pairs, modulo 16384 (-1 goes out as 7F 7F).
void SendSetParameter(ISysExSender& sender, int32_t number, int32_t value);

//! Inquire parameter: F0 09 44 (number & 7F) 00 F7.
void SendInquireParameter(ISysExSender& sender, int32_t number);

//! Field operation, byte form: F0 09 5A op field start length byte F7.
//! Op and field are 7-bit; start is clipped to 0-127; length and byte are
//! masked with 7F (a length of 128 goes out as 00, which the box reads as 128).
void SendFieldOperation(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length, int32_t byte);

//! Field operation, data form: F0 09 5A op' field start length' data F7, where
//! op' is 8 (Set Zone Split Data) for any op but 0; start is clipped to
//! 0-127; length' is cut so that start + length' <= 128 and never exceeds
//! data.size(); each data byte is masked with 7F.
void SendWriteFieldData(ISysExSender& sender, int32_t op, int32_t field, int32_t start, int32_t length,
                        std::span<const uint8_t> data);

//! GetZone (op 9) for zone 0-3: start 0, length 8, byte 0.
void SendGetZone(ISysExSender& sender, int32_t zone);
//! Set Split (op 10) for zone 1-4, with 7F in start, length and byte.
void SendSetSplit(ISysExSender& sender, int32_t zoneOneBased);
//! Keymap dump request (op 16) for keymap field 0-5: start 0, length 0, byte 0.
void SendKeymapDumpRequest(ISysExSender& sender, int32_t field);

//! Synchronize Data: GetZone for zones 0-3, then `IdentificationPending` on,
//! then Inquire parameter for each of kSynchronizedParameters (the parameter
//! table's Synchronize Data column). Fifteen frames back to back.
void SendSynchronizeData(ISysExSender& sender, HeldValues& held);
