// Per-key calibration as the last smart dump shows it: each key's rest and
// down readings, the travel between them, and the keys whose readings stand
// out from their neighbours, so a technician can spot a bad sensor without
// reading hundreds of hex values.
#pragma once

#include "editors/KeyboardKeys.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

//! Name of MIDI note `note` with sharps, octave numbers such that note 60 is
//! "C4" (21 is "A0", 0 is "C-1"). Any integer gets a name; callers decide
//! whether a note outside 0-127 makes sense.
std::string NoteName(int note);

//! Which reading of a key an outlier is about.
enum class CalibrationQuantity { Travel, Rest };

struct KeyCalibrationRow {
    int key = 0;
    int rest = 0;
    int down = 0;
    //! down - rest; negative if a sensor reads the other way round.
    int travel = 0;
    bool travelOutlier = false;
    bool restOutlier = false;
};

struct CalibrationOutlier {
    int key = 0;
    CalibrationQuantity quantity = CalibrationQuantity::Travel;
    int value = 0;
    //! Median of the same quantity over the key's eight nearest neighbours.
    double neighbourMedian = 0.0;
};

//! What an outlier measured, in words: "travel 20 counts shorter than the
//! median of its 8 neighbours", "rest 7.5 counts higher than ...". Travel
//! is compared by its size, whichever way the sensors read; one that reads
//! the other way from its neighbours is said to.
std::string DescribeOutlier(const CalibrationOutlier& outlier);

//! The calibration table of one smart dump. Empty until the first Load.
class CKeyCalibration {
public:
    //! How many nearest other keys a key is compared with.
    static constexpr int kNeighbours = 8;
    //! A key is an outlier when it lies more than this many MADs from its
    //! neighbours' median.
    static constexpr double kOutlierMads = 3.0;
    //! Smallest MAD used, in counts of the 8-bit readings. Neighbouring
    //! sensors routinely differ by a count or two, and a row of identical
    //! readings gives a MAD of 0, which would make every one-count wobble an
    //! outlier. With the floor a key must be more than 6 counts away from
    //! identical neighbours to be flagged.
    static constexpr double kMadFloor = 2.0;

    //! Reads the table from `image` (the dump report's EEPROM image). The key
    //! count is normalised (see NormalizedKeyCount). Slots the span does not
    //! reach read as 0, as in an image nothing has filled yet, and slot
    //! values are clamped to the byte range the image holds.
    void Load(std::span<const int32_t> image, int keyCount);
    void Clear();

    //! 0 before the first Load.
    int KeyCount() const { return m_keyCount; }
    std::span<const KeyCalibrationRow> Keys() const { return {m_rows.data(), static_cast<size_t>(m_keyCount)}; }
    //! In key order; for a key that is both, travel comes before rest.
    const std::vector<CalibrationOutlier>& Outliers() const { return m_outliers; }

private:
    void FindOutliers();

    int m_keyCount = 0;
    std::array<KeyCalibrationRow, kMaxKeyboardKeys> m_rows{};
    std::vector<CalibrationOutlier> m_outliers;
};
