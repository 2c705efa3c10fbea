// A setup of the box, as a file carries it: the requests that put it back
// (Set parameter frames, then one Set Zone Split Data frame of eight bytes
// per zone, exactly as the request builders make them), what one read of
// the box brought, and how a setup and the box differ. Files are named and
// written a layer up (editors/SetupFile.h); here are only bytes and values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

//! One zone's eight fields as the box holds them (wire offsets 0-7).
using ZoneBytes = std::array<int32_t, 8>;

//! What one read brought back, as the box holds it (zones 0-3, fields as
//! on the wire); an entry stays empty when its answer did not come within
//! the timeout.
struct BoxSnapshot {
    std::array<std::optional<ZoneBytes>, 4> zones;
    std::vector<std::pair<int32_t, std::optional<int32_t>>> parameters;  //!< in the order asked
    std::optional<std::string> identification;

    //! "zone 2", "parameter 12 (ZmFunc_NumberKeys)", … for every answer
    //! that is missing among those asked for, zones numbered as the window's.
    std::vector<std::string> Missing(const std::vector<int>& zonesAsked) const;
};

//! What a setup's requests set.
struct SetupContents {
    std::vector<std::pair<int32_t, int32_t>> parameters;  //!< in file order
    std::array<std::optional<std::array<uint8_t, 8>>, 4> zones;
    //! The frames as they stand in the file, in order.
    std::vector<std::vector<uint8_t>> frames;

    //! The zones it sets (0-3), in order, and the parameters, each once in
    //! the order of their first frame.
    std::vector<int> Zones() const;
    std::vector<int32_t> Parameters() const;
    //! The value it leaves parameter `number` with (the last one written).
    std::optional<int32_t> Value(int32_t number) const;
};

//! False for the parameters a restore must not write: those the box only
//! reports (software revision, free EEPROM bytes) and those that trigger
//! an action (clear, restore or dump the EEPROM).
bool RestoresParameter(int32_t number);

//! The restoring requests for what `snapshot` read: the parameters that
//! RestoresParameter() allows, then every zone read.
std::vector<uint8_t> SetupFrames(const BoxSnapshot& snapshot);

//! Where a setup's bytes stop being a setup, and why.
struct SetupFault {
    size_t offset;
    std::string why;
};

//! Reads a setup's requests into `contents`. Everything is checked before
//! anything is taken: each frame must be a restoring request as
//! SetupFrames() writes them, each value one the box takes (a parameter's
//! range, a zone's fields as the zone lists offer them). Returns the first
//! fault, naming the byte offset of the frame or value concerned.
std::optional<SetupFault> ParseSetup(const std::vector<uint8_t>& bytes, SetupContents& contents);

//! One value where the box and a setup differ, as the window shows it.
struct SetupDifference {
    int zone = -1;           //!< wire zone 0-3 of a zone field; -1 for a parameter
    int field = 0;           //!< the zone field's wire offset
    int32_t parameter = -1;  //!< the parameter's number
    int32_t file = 0;        //!< what the setup sets (midi_chan as channel 1-16)
    int32_t box = 0;         //!< what the box holds

    //! "zone 3 lo_note", "parameter 21 (ZmFunc_KeyTrigPos)".
    std::string What() const;
    //! "lo_note", "ZmFunc_KeyTrigPos".
    std::string Name() const;
};

//! Every value `setup` sets that `box` holds otherwise: parameters in the
//! order `box` read them, then zones 1-4 field by field. `box` must hold
//! an answer for each zone and parameter the setup sets.
std::vector<SetupDifference> CompareSetup(const SetupContents& setup, const BoxSnapshot& box);
